#include "engine/files/file_rewrite.h"
#include "engine/files/temporary_name.h"
#include "engine/files/yielder.h"
#include "extended_attributes.h"
#include "reference_replace.h"
#include "run_program.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::testing {
namespace {

namespace fs = std::filesystem;

struct stat statusOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

int failingRename(int, const char*, int, const char*) {
  errno = EXDEV;
  return -1;
}

// What the folder holds when the temporary file is given its name, and when it is swapped in.
std::vector<std::string> namesAtLink;
std::vector<std::string> namesAtRename;

int watchingLink(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
  namesAtLink = namesIn(pathOf(toFolder));
  return ::linkat(fromFolder, from, toFolder, to, flags);
}

int watchingRename(int fromFolder, const char* from, int toFolder, const char* to) {
  namesAtRename = namesIn(pathOf(toFolder));
  return ::renameat(fromFolder, from, toFolder, to);
}

int withoutUnnamedFiles(int) {
  errno = EOPNOTSUPP;
  return -1;
}

int refusingSetAttribute(int, const char*, const void*, std::size_t, int) {
  errno = EPERM;
  return -1;
}

ssize_t refusingCopy(int, loff_t*, int, loff_t*, std::size_t, unsigned) {
  errno = EXDEV;
  return -1;
}

// A file system that fails to tell where data lies: every byte must then be read as data.
off_t failingSeekData(int fd, off_t offset, int whence) {
  if (whence != SEEK_DATA) return ::lseek(fd, offset, whence);
  errno = EIO;
  return -1;
}

// Writes `pieces` as a sparse file: the runs of zeros between them are never written, so those
// of a block or more are holes. Returns the file's bytes.
std::string writeSparseFile(const std::string& path, const std::vector<std::pair<std::size_t, std::string>>& pieces,
                            std::size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::string bytes(size, '\0');
  for (const auto& [at, text] : pieces) {
    EXPECT_EQ(::pwrite(fd, text.data(), text.size(), static_cast<off_t>(at)), static_cast<ssize_t>(text.size()));
    bytes.replace(at, text.size(), text);
  }
  EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
  ::close(fd);
  return bytes;
}

// The host's side of a yield: counts them, runs a hook on each, and can ask for a stop.
struct ScriptedYields {
  int yields = 0;
  std::function<void()> onYield;
  bool stop = false;

  bool yield() {
    ++yields;
    if (onYield) onYield();
    return !stop;
  }
};

class FileRewrite : public ::testing::Test {
 protected:
  Result<std::int64_t> rewrite(const std::string& path, const std::string& find, const std::string& replace,
                         SwapCalls calls = {}, std::size_t capacity = 16, WriteTuning tuning = {}) {
    EncodedTerms terms(find, replace, compare);
    RewriteJob job{terms, false, capacity, calls, tuning};
    Yielder yielder([this] { return host.yield(); }, std::chrono::nanoseconds(0));  // yield on every read
    FileToRewrite file = FileToRewrite::named(path);
    const Result<PreparedRewrite> done = rewriteFile(file, job, yielder);
    if (!done.ok()) return Result<std::int64_t>::endedAs(done);
    return done.value().replacements();
  }

  // The failure's number, or 0 when there is none.
  static int numberOf(const Result<std::int64_t>& outcome) { return outcome.failure() ? outcome.failure()->number : 0; }

  TempFolder folder;
  ScriptedYields host;
  CompareMode compare = CompareMode::Binary;
};

TEST_F(FileRewrite, FileWithoutOccurrenceIsNotTouched) {
  const std::string path = folder / "plain.txt";
  writeFile(path, "nothing to see\r\n");
  const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), old, 0);
  const struct stat before = statusOf(path);

  const Result<std::int64_t> outcome = rewrite(path, "needle", "x");

  EXPECT_TRUE(outcome.ok());
  EXPECT_EQ(outcome.value(), 0);
  const struct stat after = statusOf(path);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"plain.txt"});
}

TEST_F(FileRewrite, RewriteKeepsOwnerModeAttributesAndAccessListAndLeavesNoTemporaryFile) {
  const std::string path = folder / "data.txt", plain = folder / "plain.txt";
  std::string text = std::string(100, 'a') + "needle" + std::string(50, 'b') + "needle\n";
  writeFile(path, text);
  writeFile(plain, "needle");
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(path.c_str(), unprivilegedUser(), unprivilegedGroup()), 0);
  }
  ::chmod(path.c_str(), 02640);
  setAttribute(path, "user.origin", "downloaded");
  setAttribute(path, "system.posix_acl_access", accessListReadableByNobody());
  setAttribute(path, "trusted.note", "kept by root");      // root only
  setAttribute(path, "security.capability", bindCapability());  // root only
  // New files in the folder now get an access list; a file that had none must not gain one.
  setAttribute(folder.path(), "system.posix_acl_default", accessListReadableByNobody());
  const auto attributes = attributesOf(path), plainAttributes = attributesOf(plain);
  const struct stat before = statusOf(path);

  const Result<std::int64_t> outcome = rewrite(path, "needle", "pin");
  EXPECT_TRUE(rewrite(plain, "needle", "pin").ok());

  EXPECT_TRUE(outcome.ok());
  EXPECT_EQ(outcome.value(), 2);
  EXPECT_EQ(readFile(path), std::string(100, 'a') + "pin" + std::string(50, 'b') + "pin\n");
  EXPECT_EQ(statusOf(path).st_mode & 07777, 02640u);
  EXPECT_EQ(statusOf(path).st_uid, before.st_uid);
  EXPECT_EQ(statusOf(path).st_gid, before.st_gid);
  EXPECT_EQ(attributesOf(path), attributes);
  EXPECT_EQ(attributesOf(plain), plainAttributes);
  EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"data.txt", "plain.txt"}));
}

TEST_F(FileRewrite, AttributeThatCannotBeCopiedFailsTheFileWhenItDecidesAccess) {
  SwapCalls refusing;
  refusing.setAttribute = &refusingSetAttribute;
  const std::string userAttribute = folder / "user.txt", accessList = folder / "acl.txt";
  for (const std::string& path : {userAttribute, accessList}) writeFile(path, "old");
  if (!setAttribute(userAttribute, "user.origin", "downloaded") ||
      !setAttribute(accessList, "system.posix_acl_access", accessListReadableByNobody()))
    GTEST_SKIP() << "the temporary folder's file system has no extended attributes";
  for (const std::string& path : {userAttribute, accessList}) {
    const Result<std::int64_t> outcome = rewrite(path, "old", "new", refusing);
    ASSERT_TRUE(outcome.failure()) << path;
    EXPECT_EQ(outcome.failure()->number, 70) << path;
    EXPECT_EQ(readFile(path), "old");
  }
  // Labels the process may not set are left out.
  const std::string labelled = folder / "labelled.txt";
  writeFile(labelled, "old");
  if (setAttribute(labelled, "trusted.note", "root's")) {
    EXPECT_TRUE(rewrite(labelled, "old", "new", refusing).ok());
    EXPECT_EQ(readFile(labelled), "new");
  }
  EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"acl.txt", "labelled.txt", "user.txt"}));
}

TEST_F(FileRewrite, TemporaryFileHasANameOnlyJustBeforeTheSwap) {
  const std::string path = folder / "data.txt";
  const std::string text = "old " + std::string(100, '.') + " old";
  SwapCalls watching;
  watching.link = &watchingLink;
  watching.rename = &watchingRename;
  writeFile(path, text);
  EXPECT_TRUE(rewrite(path, "old", "new", watching).ok());
  EXPECT_EQ(namesAtLink, std::vector<std::string>{"data.txt"});
  ASSERT_EQ(namesAtRename.size(), 2u);
  EXPECT_TRUE(isTemporaryName(namesAtRename[0])) << namesAtRename[0];

  // Where the file system has no unnamed files, a named one takes their place.
  watching.createUnnamed = &withoutUnnamedFiles;
  namesAtLink.clear();
  namesAtRename.clear();
  writeFile(path, text);
  EXPECT_TRUE(rewrite(path, "old", "new", watching).ok());
  EXPECT_TRUE(namesAtLink.empty());
  ASSERT_EQ(namesAtRename.size(), 2u);
  EXPECT_TRUE(isTemporaryName(namesAtRename[0])) << namesAtRename[0];
  EXPECT_EQ(readFile(path), "new " + std::string(100, '.') + " new");
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"data.txt"});
}

TEST_F(FileRewrite, LinkedFileIsRewrittenAtItsTargetAndTheLinkStays) {
  fs::create_directory(folder / "real");
  writeFile(folder / "real/target.txt", "old text");
  fs::create_symlink("real/target.txt", folder / "link.txt");

  const Result<std::int64_t> outcome = rewrite(folder / "link.txt", "old", "new");

  EXPECT_TRUE(outcome.ok());
  EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
  EXPECT_EQ(readFile(folder / "real/target.txt"), "new text");
  EXPECT_EQ(namesIn(folder / "real"), std::vector<std::string>{"target.txt"});
}

TEST_F(FileRewrite, FailedSwapKeepsSourceAndRemovesTemporaryFile) {
  const std::string path = folder / "keep.txt";
  writeFile(path, "old old old");

  SwapCalls failing;
  failing.rename = &failingRename;
  const Result<std::int64_t> outcome = rewrite(path, "old", "new", failing);

  ASSERT_TRUE(outcome.failure());
  EXPECT_EQ(outcome.failure()->number, 74);
  EXPECT_EQ(outcome.failure()->description, "Can't rename with different drive");
  EXPECT_EQ(readFile(path), "old old old");
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"keep.txt"});
}

TEST_F(FileRewrite, FileChangedDuringTheRewriteIsReportedNotOverwritten) {
  const std::string path = folder / "growing.txt";
  writeFile(path, std::string(200, 'x') + "old");
  host.onYield = [&] {
    if (host.yields == 2) {
      std::ofstream(path, std::ios::app) << "appended";
      const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
      ::utimensat(AT_FDCWD, path.c_str(), later, 0);
    }
  };

  const Result<std::int64_t> outcome = rewrite(path, "old", "new");

  ASSERT_TRUE(outcome.failure());
  EXPECT_EQ(outcome.failure()->number, 75);
  EXPECT_EQ(readFile(path), std::string(200, 'x') + "oldappended");
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"growing.txt"});
}

// Sparse files of text and holes, rewritten with every path forced on small inputs: reads and
// buffers of a few bytes, the kernel's copy for stretches of any length, copies in small steps,
// the copy through the buffer where the kernel refuses, and no search for holes where it fails.
// The bytes are the plain model's.
TEST_F(FileRewrite, SparseFilesAgreeWithReferenceModelWhateverTheTuning) {
  const std::string path = folder / "sparse.txt";
  const std::vector<std::string> words = {"old", "o", "ld", "\r\n", "x", "Old", std::string(1, '\0')};
  const std::vector<std::string> terms = {"old", "old", std::string("d\0", 2), std::string("\0o", 2), std::string(1, '\0')};
  std::mt19937 random(1406);
  for (int round = 0; round < 80; ++round) {
    std::vector<std::pair<std::size_t, std::string>> pieces;
    std::size_t size = 0;
    for (int piece = 0, count = 1 + static_cast<int>(random() % 4); piece < count; ++piece) {
      size += random() % 3 == 0 ? 0 : random() % 20000;
      if (random() % 2 == 0) size += (4096 - size % 4096) % 4096;  // text that begins a block
      std::string text;
      for (int word = 0, wordCount = static_cast<int>(random() % 30); word < wordCount; ++word)
        text += words[random() % words.size()];
      pieces.emplace_back(size, text);
      size += text.size();
    }
    if (random() % 2 == 0) size += random() % 20000;  // ending in a hole
    const std::string text = writeSparseFile(path, pieces, size);
    WriteTuning tuning;
    tuning.bufferSize = 1 + random() % 16;
    tuning.kernelCopyFrom = 1 + random() % 64;
    tuning.copyStep = 1 + random() % 5000;
    if (random() % 4 == 0) tuning.copyRange = &refusingCopy;
    if (random() % 4 == 0) tuning.seek = &failingSeekData;
    const std::string& find = terms[random() % terms.size()];

    const ReferenceResult expected = referenceReplace(text, find, "new!", false);
    const Result<std::int64_t> outcome = rewrite(path, find, "new!", {}, 1 + random() % 64, tuning);

    ASSERT_TRUE(outcome.ok()) << "round " << round;
    ASSERT_EQ(outcome.value(), expected.count) << "round " << round;
    ASSERT_EQ(readFile(path), expected.output) << "round " << round;
  }
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"sparse.txt"});
}

TEST_F(FileRewrite, HolesStayHolesAndTheFileKeepsItsSize) {
  // Text at the start, after a short hole and in the middle of 16 MiB; holes elsewhere, the end
  // included. Large reads take the short hole in whole; small ones reach the long holes while
  // the stretch before them is still short.
  const std::string path = folder / "sparse.txt";
  constexpr std::size_t kSize = 16 << 20, kMiddle = (8 << 20) + 2000;
  const std::vector<std::pair<std::size_t, std::string>> pieces = {
      {0, "an old head\r\n"}, {68 << 10, "x"}, {kMiddle, "old middle"}};
  std::string expected = writeSparseFile(path, pieces, kSize);
  expected.replace(kMiddle, 3, "newer");
  expected.replace(3, 3, "newer");
  WriteTuning tiny;
  tiny.bufferSize = 3;
  tiny.kernelCopyFrom = 1;
  tiny.copyStep = 1000;
  for (const auto& [tuning, capacity] : {std::pair{WriteTuning{}, StreamRewriter::kDefaultCapacity},
                                         std::pair{WriteTuning{}, std::size_t{16}}, std::pair{tiny, std::size_t{4096}}}) {
    writeSparseFile(path, pieces, kSize);
    const blkcnt_t before = statusOf(path).st_blocks;
    EXPECT_EQ(rewrite(path, "old", "newer", {}, capacity, tuning).value(), 2);
    EXPECT_EQ(readFile(path), expected);
    // A shifted piece of text may straddle one more block than it did.
    EXPECT_LE(statusOf(path).st_blocks, before + 3 * 8);
  }
}

// A long stretch is copied in steps, with yields between them: a stop request ends it, and a
// change to the file then is caught before the swap.
TEST_F(FileRewrite, LongStretchCopyYieldsAndAChangeDuringItIsCaught) {
  const std::string path = folder / "long.txt";
  const std::string text = "old" + std::string(5000, 'x');
  WriteTuning tuning;
  tuning.kernelCopyFrom = 1;
  tuning.copyStep = 100;
  constexpr int kYieldInCopy = 20;  // the reads take two

  writeFile(path, text);
  host.onYield = [&] { host.stop = host.yields >= kYieldInCopy; };
  EXPECT_TRUE(rewrite(path, "old", "new", {}, 1 << 20, tuning).stopped());
  EXPECT_EQ(readFile(path), text);

  host.stop = false;
  host.yields = 0;
  host.onYield = [&] {
    if (host.yields != kYieldInCopy) return;
    std::ofstream(path, std::ios::app) << "appended";
    const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), later, 0);
  };
  const Result<std::int64_t> changed = rewrite(path, "old", "new", {}, 1 << 20, tuning);
  ASSERT_TRUE(changed.failure());
  EXPECT_EQ(changed.failure()->number, 75);
  EXPECT_EQ(changed.failure()->description, "Path/File access error: changed while it was being read");
  EXPECT_EQ(readFile(path), text + "appended");
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"long.txt"});
}

TEST_F(FileRewrite, StopRequestAbandonsTheFileUntouched) {
  const std::string path = folder / "long.txt";
  writeFile(path, std::string(1000, 'o'));
  host.onYield = [&] { host.stop = host.yields >= 3; };

  const Result<std::int64_t> outcome = rewrite(path, "o", "0");

  EXPECT_TRUE(outcome.stopped());
  EXPECT_EQ(readFile(path), std::string(1000, 'o'));
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"long.txt"});
}

// A file saved as UTF-16 by a Windows editor: rewritten as 8-bit text, everything after the
// replacement came out shifted by one byte.
TEST_F(FileRewrite, Utf16HelloWithHReplacedByXyStaysAlignedUtf16) {
  const std::string path = folder / "u.txt";
  writeFile(path, std::string("\xFF\xFE" "h\0e\0l\0l\0o\0\r\0\n\0", 16));

  const Result<std::int64_t> outcome = rewrite(path, "h", "xy");

  EXPECT_TRUE(outcome.ok());
  EXPECT_EQ(outcome.value(), 1);
  EXPECT_EQ(readFile(path), std::string("\xFF\xFE" "x\0y\0e\0l\0l\0o\0\r\0\n\0", 18));
}

// A file shorter than the term's shortest occurrence, in every encoding and case it may take, is
// done unread: the stop request that every read notices never comes up. At exactly that length
// it is rewritten. Ignoring case, "k" finds the three-byte Kelvin sign in one byte, and the
// three-byte small A with stroke finds its two-byte capital; a byte that is not UTF-8 finds only
// itself; three CJK characters take eight bytes as UTF-16 with its mark, against nine as UTF-8.
TEST_F(FileRewrite, FileTooShortForAnyOccurrenceIsDoneUnread) {
  const std::string cjk = "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD";
  const std::string cjkUtf16("\xFF\xFE" "\x2D\x4E\x2D\x4E\x2D\x4E", 8);
  struct Case {
    CompareMode compare;
    std::string find, shortest, rewritten;
  };
  for (const Case& c : {Case{CompareMode::Text, "\xE2\x84\xAA", "k", "x"},
                        Case{CompareMode::Text, "\xE2\xB1\xA5", "\xC8\xBA", "x"},
                        Case{CompareMode::Text, "a\xE9", "A\xE9", "x"},
                        Case{CompareMode::Binary, cjk, cjkUtf16, std::string("\xFF\xFE" "x\0", 4)},
                        Case{CompareMode::Text, cjk, cjkUtf16, std::string("\xFF\xFE" "x\0", 4)},
                        Case{CompareMode::Binary, "needle", "needle", "x"}}) {
    compare = c.compare;
    const std::string path = folder / "short.txt", shorter = c.shortest.substr(0, c.shortest.size() - 1);
    writeFile(path, c.shortest);
    EXPECT_EQ(rewrite(path, c.find, "x").value(), 1) << c.shortest;
    EXPECT_EQ(readFile(path), c.rewritten);

    writeFile(path, shorter);
    host.stop = true;
    const Result<std::int64_t> unread = rewrite(path, c.find, "x");
    host.stop = false;
    EXPECT_TRUE(unread.ok()) << c.shortest;
    EXPECT_EQ(readFile(path), shorter);
  }
}

TEST_F(FileRewrite, TextThatCannotBeWrittenIsLeftAsItIs) {
  const std::string utf32 = folder / "utf32.txt";
  const std::string utf16 = folder / "utf16.txt";
  writeFile(utf32, std::string("\xFF\xFE\0\0h\0\0\0", 8));
  writeFile(utf16, std::string("\xFE\xFF\0h", 4));

  const Result<std::int64_t> notText = rewrite(utf32, "h", "x");
  ASSERT_TRUE(notText.failure());
  EXPECT_EQ(notText.failure()->number, 75);
  EXPECT_NE(notText.failure()->description.find("UTF-32"), std::string::npos);
  // Its UTF-8 form is not valid, so the replacement has no UTF-16 form.
  EXPECT_EQ(numberOf(rewrite(utf16, "h", "\xE9")), 75);
  const Result<std::int64_t> notUtf8 = rewrite(utf16, "\xE9", "x");
  EXPECT_TRUE(notUtf8.ok());
  EXPECT_EQ(notUtf8.value(), 0);

  EXPECT_EQ(readFile(utf32), std::string("\xFF\xFE\0\0h\0\0\0", 8));
  EXPECT_EQ(readFile(utf16), std::string("\xFE\xFF\0h", 4));
  EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"utf16.txt", "utf32.txt"}));
}

TEST_F(FileRewrite, FailuresCarryTheirNumbers) {
  fs::create_directory(folder / "sub.txt");
  EXPECT_EQ(numberOf(rewrite(folder / "missing.txt", "a", "b")), 53);
  EXPECT_EQ(numberOf(rewrite(folder / "nofolder/missing.txt", "a", "b")), 76);
  const Result<std::int64_t> isFolder = rewrite(folder / "sub.txt", "a", "b");
  ASSERT_TRUE(isFolder.failure());
  EXPECT_EQ(isFolder.failure()->number, 75);
  EXPECT_EQ(isFolder.failure()->description, "Path/File access error");
  EXPECT_EQ(isFolder.failure()->source, kApplicationTitle);

  // Made read-only on purpose: refused for every user, root included.
  const std::string readOnly = folder / "read-only.txt";
  writeFile(readOnly, "a");
  ::chmod(readOnly.c_str(), 0444);
  const Result<std::int64_t> refused = rewrite(readOnly, "a", "b");
  ASSERT_TRUE(refused.failure());
  EXPECT_EQ(refused.failure()->number, 70);
  EXPECT_EQ(refused.failure()->description, "Permission denied");
  EXPECT_EQ(readFile(readOnly), "a");
}

}  // namespace
}  // namespace sorvane::testing
