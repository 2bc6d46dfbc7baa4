#include "engine/files/file_rewrite.h"
#include "engine/files/temporary_name.h"
#include "engine/files/yielder.h"
#include "engine/text/rewrite_buffers.h"
#include "extended_attributes.h"
#include "system_calls.h"
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


// What the folder holds when the temporary file is given its name, and when it is swapped in.
std::vector<std::string> namesAtLink, namesAtRename;

int watchingLink(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
  namesAtLink = namesIn(pathOf(toFolder));
  return ::linkat(fromFolder, from, toFolder, to, flags);
}

int watchingRename(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
  namesAtRename = namesIn(pathOf(toFolder));
  return ::renameat2(fromFolder, from, toFolder, to, flags);
}

// An editor saves the file as editors do: a new file renamed over its name; once, just before
// the rewrite's swap.
std::string savedByEditor;
bool saveBeforeSwap = false;
void saveAsAnEditor() {
  writeFile(savedByEditor + ".new", "the editor's save");
  ::rename((savedByEditor + ".new").c_str(), savedByEditor.c_str());
}

int renameAfterAnEditorSaved(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
  if (std::exchange(saveBeforeSwap, false)) saveAsAnEditor();
  return ::renameat2(fromFolder, from, toFolder, to, flags);
}

// A file system that fails to tell where data lies: every byte must then be read as data.
off_t failingSeekData(int fd, off_t offset, int whence) {
  if (whence != SEEK_DATA) return ::lseek(fd, offset, whence);
  errno = EIO;
  return -1;
}

// Another program appends to the file and moves its time on.
void appendAsAnotherProgram(const std::string& path) {
  std::ofstream(path, std::ios::app) << "appended";
  const struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), later, 0);
}

// What a test may change before a rewrite; each case of a table starts from these again.
struct RewriteKnobs {
  CompareMode compare = CompareMode::Binary;
  std::size_t capacity = 16;
  SwapCalls calls;
  WriteTuning tuning;
  int yields = 0;
  std::function<void()> onYield;
  bool stop = false;
};

class FileRewrite : public ::testing::Test, protected RewriteKnobs {
 protected:
  // Yields on every read; `onYield` runs on each, and `stop` asks for a stop.
  Result<std::int64_t> rewrite(const std::string& path, const std::string& find, const std::string& replace) {
    EncodedTerms terms(SearchTerms{find, replace, compare});
    RewriteJob job{terms, false, capacity, calls, tuning};
    Yielder yielder([this] {
      ++yields;
      if (onYield) onYield();
      return !stop;
    }, std::chrono::nanoseconds(0));
    FileToRewrite file = FileToRewrite::named(path);
    const Result<PreparedRewrite> done = rewriteFile(file, job, yielder);
    if (!done.ok()) return Result<std::int64_t>::endedAs(done);
    return done.value().replacements();
  }

  TempFolder folder;
};

// A file kept from its rewrite keeps its bytes, inode and time, its folder no temporary file; the
// failure carries the number and description the user is shown. Another program's save is kept.
TEST_F(FileRewrite, AFileThatIsNotRewrittenStaysAsItWasAndSaysWhy) {
  struct Case {
    const char* what;
    std::string content, find, replace;
    std::function<void()> arrange;
    int number;  // 0: done without a failure, -1: stopped
    std::string description;
    std::string after = "";  // the bytes after it, where another program wrote
  };
  const std::string path = savedByEditor = folder / "file.txt", utf16("\xFE\xFF\0h", 4);
  const std::string growing = std::string(200, 'x') + "old", stretch = "old" + std::string(5000, 'x');
  const std::string changed = "Path/File access error: changed while it was being read";
  const auto atYield = [this](int yield, std::function<void()> act) {
    onYield = [this, yield, act] { if (yields == yield) act(); };
  };
  const auto duringLongCopy = [&](std::function<void()> act) {
    tuning.kernelCopyFrom = 1;
    tuning.copyStep = 100;
    capacity = 1 << 20;  // the reads take two yields, the copy's steps the rest
    atYield(20, act);
  };
  const auto append = [&] { appendAsAnotherProgram(path); };
  const auto halt = [this] { stop = true; };
  const auto refused = [&](const char* name, const std::string& value) {  // an attribute the copy may not set
    return [&, name, value] {
      calls.setAttribute = failing<EPERM, SetAttributeCall>;
      ASSERT_TRUE(setAttribute(path, name, value));
    };
  };
  const Case cases[] = {
      {"no occurrence", "nothing to see\r\n", "needle", "x", [] {}, 0, ""},
      {"swap fails", "old old", "old", "new", [this] { calls.rename = failing<EXDEV, RenameCall>; }, 74,
       "Can't rename with different drive"},
      {"changed while read", growing, "old", "new", [&] { atYield(2, append); }, 75, changed, growing + "appended"},
      {"changed while copied", stretch, "old", "new", [&] { duringLongCopy(append); }, 75, changed,
       stretch + "appended"},
      {"saved by an editor while read", growing, "old", "new", [&] { atYield(2, saveAsAnEditor); }, 75, changed,
       "the editor's save"},
      {"saved by an editor just before the swap", growing, "old", "new",
       [this] { calls.rename = &renameAfterAnEditorSaved, saveBeforeSwap = true; }, 75, changed, "the editor's save"},
      {"rewritten where names cannot be swapped", "old", "old", "new", [this] { calls.rename = &renameWithoutSwap; }, 1,
       "", "new"},
      {"stopped while read", std::string(1000, 'o'), "o", "0", [&] { atYield(3, halt); }, -1, ""},
      {"stopped while copied", stretch, "old", "new", [&] { duringLongCopy(halt); }, -1, ""},
      {"UTF-32", std::string("\xFF\xFE\0\0h\0\0\0", 8), "h", "x", [] {}, 75, "UTF-32"},
      {"replacement without a UTF-16 form", utf16, "h", "\xE9", [] {}, 75, ""},
      {"term without a UTF-16 form", utf16, "\xE9", "x", [] {}, 0, ""},
      {"made read-only on purpose, root included", "a", "a", "b", [&] { ::chmod(path.c_str(), 0444); }, 70,
       "Permission denied"},
      {"a user attribute that cannot be copied", "old", "old", "new", refused("user.origin", "downloaded"), 70,
       "Permission denied"},
      {"an access list that cannot be copied", "old", "old", "new",
       refused("system.posix_acl_access", accessListReadableByNobody()), 70, "Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(path);
    writeFile(path, c.content);
    const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), old, 0);
    const struct stat before = statusOf(path);
    static_cast<RewriteKnobs&>(*this) = {};
    c.arrange();

    const Result<std::int64_t> outcome = rewrite(path, c.find, c.replace);

    const Failure* failure = outcome.failure();
    EXPECT_EQ(failure ? failure->number : outcome.stopped() ? -1 : outcome.value(), c.number);
    const std::string description = failure ? failure->description : "";
    EXPECT_NE(description.find(c.description), std::string::npos) << description;
    const struct stat after = statusOf(path);
    EXPECT_TRUE(!c.after.empty() || (after.st_ino == before.st_ino && after.st_mtim.tv_sec == before.st_mtim.tv_sec));
    EXPECT_EQ(std::pair(readFile(path), namesIn(folder.path())),
              std::pair(c.after.empty() ? c.content : c.after, std::vector<std::string>{"file.txt"}));
  }
  // A missing file, one in a missing folder, a folder.
  fs::create_directory(folder / "sub.txt");
  for (const auto& [name, number, description] :
       {std::tuple{"missing.txt", 53, "File not found"}, std::tuple{"nofolder/missing.txt", 76, "Path not found"},
        std::tuple{"sub.txt", 75, "Path/File access error"}}) {
    const Result<std::int64_t> outcome = rewrite(folder / name, "a", "b");
    ASSERT_TRUE(outcome.failure()) << name;
    const Failure& failure = *outcome.failure();
    EXPECT_EQ(std::tie(failure.number, failure.source, failure.description),
              std::tuple(number, std::string(kApplicationTitle), std::string(description)));
  }
}

// The temporary file is named just before the swap, or at once without unnamed files; a link is
// rewritten at its target and stays. Either way owner, mode, attributes and access list are kept.
TEST_F(FileRewrite, TheNewContentTakesTheTargetsNameAndAttributesOnlyAtTheSwap) {
  const std::string path = folder / "real/data.txt", plain = folder / "real/plain.txt";
  fs::create_directory(folder / "real");
  fs::create_symlink("real/data.txt", folder / "link.txt");
  writeFile(path, "old " + std::string(100, '.') + " old\n");
  writeFile(plain, "old");
  ASSERT_TRUE(::geteuid() != 0 || ::chown(path.c_str(), unprivilegedUser(), unprivilegedGroup()) == 0);
  ::chmod(path.c_str(), 02640);
  setAttribute(path, "user.origin", "downloaded");
  setAttribute(path, "system.posix_acl_access", accessListReadableByNobody());
  setAttribute(path, "trusted.note", "kept by root");      // root only
  setAttribute(path, "security.capability", bindCapability());  // root only
  // New files in the folder now get an access list; a file that had none must not gain one.
  setAttribute(folder / "real", "system.posix_acl_default", accessListReadableByNobody());
  const auto attributes = attributesOf(path), plainAttributes = attributesOf(plain);
  const struct stat before = statusOf(path);
  calls.link = &watchingLink, calls.rename = &watchingRename;
  // Written back and forth, as a write of its own would drop the file capability.
  for (const auto& [unnamed, from, to] : {std::tuple{true, "old", "new"}, std::tuple{false, "new", "old"}}) {
    if (!unnamed) calls.createUnnamed = failing<EOPNOTSUPP, CreateUnnamedCall>;
    EXPECT_TRUE(rewrite(plain, from, to).ok());
    namesAtLink.clear();
    EXPECT_EQ(rewrite(folder / "link.txt", from, to).value(), 2);
    EXPECT_EQ(namesAtLink, unnamed ? namesIn(folder / "real") : std::vector<std::string>{});
    ASSERT_EQ(namesAtRename.size(), 3u);
    EXPECT_TRUE(isTemporaryName(namesAtRename[0])) << namesAtRename[0];
    EXPECT_EQ(readFile(path), to + (" " + std::string(100, '.') + " ") + to + "\n");
    const struct stat after = statusOf(path);
    EXPECT_EQ(std::tuple(after.st_mode & 07777, after.st_uid, after.st_gid, attributesOf(path), attributesOf(plain),
                         namesIn(folder / "real"), fs::is_symlink(folder / "link.txt")),
              std::tuple(02640u, before.st_uid, before.st_gid, attributes, plainAttributes,
                         std::vector<std::string>{"data.txt", "plain.txt"}, true));
  }
}

// Sparse files rewritten with every path forced on small inputs (tiny buffers, kernel copies of
// any length in small steps, refused copies, failed hole searches) give the plain model's bytes.
TEST_F(FileRewrite, SparseFilesAgreeWithReferenceModelWhateverTheTuning) {
  const std::string path = folder / "sparse.txt";
  const std::vector<std::string> words = {"old", "o", "ld", "\r\n", "x", "Old", std::string(1, '\0')};
  const std::vector<std::string> terms = {"old", "old", std::string("d\0", 2), std::string("\0o", 2), std::string(1, '\0')};
  std::mt19937 random(1406);
  for (int round = 0; round < 80; ++round) {
    std::string text;  // pieces of words between runs of zeros, which are never written
    for (int piece = 0, count = 1 + static_cast<int>(random() % 4); piece < count; ++piece) {
      text.resize(text.size() + (random() % 3 == 0 ? 0 : random() % 20000));
      if (random() % 2 == 0) text.resize(text.size() + (4096 - text.size() % 4096) % 4096);  // text that begins a block
      for (int word = 0, wordCount = static_cast<int>(random() % 30); word < wordCount; ++word)
        text += words[random() % words.size()];
    }
    if (random() % 2 == 0) text.resize(text.size() + random() % 20000);  // ending in a hole
    ASSERT_TRUE(writeSparse(path, text, 1));
    tuning = {.bufferSize = 1 + random() % 16, .kernelCopyFrom = 1 + random() % 64, .copyStep = 1 + random() % 5000,
              .copyRange = random() % 4 == 0 ? failing<EXDEV, CopyRangeCall> : &::copy_file_range,
              .seek = random() % 4 == 0 ? &failingSeekData : &::lseek};
    const std::string& find = terms[random() % terms.size()];

    const ReferenceResult expected = referenceReplace(text, find, "new!", false);
    capacity = 1 + random() % 64;
    const Result<std::int64_t> outcome = rewrite(path, find, "new!");

    ASSERT_TRUE(outcome.ok()) << "round " << round;
    ASSERT_TRUE(outcome.value() == expected.count && readFile(path) == expected.output) << "round " << round;
  }
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"sparse.txt"});
}

TEST_F(FileRewrite, HolesStayHolesAndTheFileKeepsItsSize) {
  // Text at the start, after a short hole and in the middle of 16 MiB; holes elsewhere.
  const std::string path = folder / "sparse.txt";
  constexpr std::size_t kSize = 16 << 20, kMiddle = (8 << 20) + 2000;
  std::string original(kSize, '\0');
  original.replace(0, 13, "an old head\r\n").replace(68 << 10, 1, "x").replace(kMiddle, 10, "old middle");
  std::string expected = original;
  expected.replace(kMiddle, 3, "newer").replace(3, 3, "newer");
  const WriteTuning tiny{.bufferSize = 3, .kernelCopyFrom = 1, .copyStep = 1000};
  for (const auto& [writing, bufferCapacity] : {std::pair{WriteTuning{}, StreamRewriter::kDefaultCapacity},
                                                std::pair{WriteTuning{}, std::size_t{16}}, std::pair{tiny, std::size_t{4096}}}) {
    ASSERT_TRUE(writeSparse(path, original, 1));
    const blkcnt_t before = statusOf(path).st_blocks;
    tuning = writing, capacity = bufferCapacity;
    EXPECT_TRUE(rewrite(path, "old", "newer").value() == 2 && readFile(path) == expected);
    // A shifted piece of text may straddle one more block than it did.
    EXPECT_LE(statusOf(path).st_blocks, before + 3 * 8);
  }
}

// A file shorter than the term's shortest occurrence in any encoding or case is done unread (the
// stop every read notices never comes); at that length it is rewritten. Kelvin sign and "k", A
// with stroke and its capital, a non-UTF-8 byte, CJK in UTF-16.
TEST_F(FileRewrite, FileTooShortForAnyOccurrenceIsDoneUnread) {
  const std::string cjk = "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD";
  const std::string cjkUtf16("\xFF\xFE" "\x2D\x4E\x2D\x4E\x2D\x4E", 8), xUtf16("\xFF\xFE" "x\0", 4);
  for (const auto& [mode, find, shortest, rewritten] :
       std::vector<std::tuple<CompareMode, std::string, std::string, std::string>>{
           {CompareMode::Text, "\xE2\x84\xAA", "k", "x"},
           {CompareMode::Text, "\xE2\xB1\xA5", "\xC8\xBA", "x"},
           {CompareMode::Text, "a\xE9", "A\xE9", "x"},
           {CompareMode::Binary, cjk, cjkUtf16, xUtf16},
           {CompareMode::Text, cjk, cjkUtf16, xUtf16},
           {CompareMode::Binary, "needle", "needle", "x"}}) {
    compare = mode, stop = false;
    const std::string path = folder / "short.txt", shorter = shortest.substr(0, shortest.size() - 1);
    writeFile(path, shortest);
    EXPECT_TRUE(rewrite(path, find, "x").value() == 1 && readFile(path) == rewritten) << shortest;

    writeFile(path, shorter);
    stop = true;
    EXPECT_TRUE(rewrite(path, find, "x").ok() && readFile(path) == shorter) << shortest;
  }
}

}  // namespace
}  // namespace sorvane::testing
