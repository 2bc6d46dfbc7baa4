#include "engine/file_rewrite.h"
#include "engine/host.h"
#include "engine/yielder.h"
#include "scripted_host.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct stat statusOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

int failingRename(const char*, const char*) {
  errno = EXDEV;
  return -1;
}

class FileRewrite : public ::testing::Test {
 protected:
  RewriteOutcome rewrite(const std::string& path, const std::string& find, const std::string& replace,
                         RenameCall rename = &::rename, std::size_t capacity = 16) {
    TermMatcher matcher(find, kBinaryCompare);
    RewriteJob job{matcher, replace, false, capacity, rename};
    Yielder yielder(host, std::chrono::nanoseconds(0));  // yield on every read
    return rewriteFile(path, job, yielder);
  }

  TempFolder folder;
  ScriptedHost host;
};

TEST_F(FileRewrite, FileWithoutOccurrenceIsNotTouched) {
  const std::string path = folder / "plain.txt";
  writeFile(path, "nothing to see\r\n");
  const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), old, 0);
  const struct stat before = statusOf(path);

  const RewriteOutcome outcome = rewrite(path, "needle", "x");

  EXPECT_EQ(outcome.kind, RewriteOutcome::Kind::Done);
  EXPECT_EQ(outcome.replacements, 0);
  const struct stat after = statusOf(path);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"plain.txt"});
}

TEST_F(FileRewrite, RewriteKeepsModeAndLeavesNoTemporaryFile) {
  const std::string path = folder / "data.txt";
  std::string text = std::string(100, 'a') + "needle" + std::string(50, 'b') + "needle\n";
  writeFile(path, text);
  ::chmod(path.c_str(), 0640);

  const RewriteOutcome outcome = rewrite(path, "needle", "pin");

  EXPECT_EQ(outcome.kind, RewriteOutcome::Kind::Done);
  EXPECT_EQ(outcome.replacements, 2);
  EXPECT_EQ(readFile(path), std::string(100, 'a') + "pin" + std::string(50, 'b') + "pin\n");
  EXPECT_EQ(statusOf(path).st_mode & 07777, 0640u);
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"data.txt"});
}

TEST_F(FileRewrite, LinkedFileIsRewrittenAtItsTargetAndTheLinkStays) {
  fs::create_directory(folder / "real");
  writeFile(folder / "real/target.txt", "old text");
  fs::create_symlink("real/target.txt", folder / "link.txt");

  const RewriteOutcome outcome = rewrite(folder / "link.txt", "old", "new");

  EXPECT_EQ(outcome.kind, RewriteOutcome::Kind::Done);
  EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
  EXPECT_EQ(readFile(folder / "real/target.txt"), "new text");
  EXPECT_EQ(namesIn(folder / "real"), std::vector<std::string>{"target.txt"});
}

TEST_F(FileRewrite, FailedSwapKeepsSourceAndRemovesTemporaryFile) {
  const std::string path = folder / "keep.txt";
  writeFile(path, "old old old");

  const RewriteOutcome outcome = rewrite(path, "old", "new", &failingRename);

  EXPECT_EQ(outcome.kind, RewriteOutcome::Kind::Failed);
  EXPECT_EQ(outcome.failure.number, 74);
  EXPECT_EQ(outcome.failure.description, "Can't rename with different drive");
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

  const RewriteOutcome outcome = rewrite(path, "old", "new");

  EXPECT_EQ(outcome.kind, RewriteOutcome::Kind::Failed);
  EXPECT_EQ(outcome.failure.number, 75);
  EXPECT_EQ(readFile(path), std::string(200, 'x') + "oldappended");
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"growing.txt"});
}

TEST_F(FileRewrite, StopRequestAbandonsTheFileUntouched) {
  const std::string path = folder / "long.txt";
  writeFile(path, std::string(1000, 'o'));
  host.onYield = [&] { host.stop = host.yields >= 3; };

  const RewriteOutcome outcome = rewrite(path, "o", "0");

  EXPECT_EQ(outcome.kind, RewriteOutcome::Kind::Stopped);
  EXPECT_EQ(readFile(path), std::string(1000, 'o'));
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"long.txt"});
}

TEST_F(FileRewrite, FailuresCarryTheirNumbers) {
  fs::create_directory(folder / "sub.txt");
  EXPECT_EQ(rewrite(folder / "missing.txt", "a", "b").failure.number, 53);
  EXPECT_EQ(rewrite(folder / "nofolder/missing.txt", "a", "b").failure.number, 76);
  const RewriteOutcome isFolder = rewrite(folder / "sub.txt", "a", "b");
  EXPECT_EQ(isFolder.failure.number, 75);
  EXPECT_EQ(isFolder.failure.description, "Path/File access error");
  EXPECT_EQ(isFolder.failure.source, "Sorvane");

  // Made read-only on purpose: refused for every user, root included.
  const std::string readOnly = folder / "read-only.txt";
  writeFile(readOnly, "a");
  ::chmod(readOnly.c_str(), 0444);
  const RewriteOutcome refused = rewrite(readOnly, "a", "b");
  EXPECT_EQ(refused.failure.number, 70);
  EXPECT_EQ(refused.failure.description, "Permission denied");
  EXPECT_EQ(readFile(readOnly), "a");
}

}  // namespace
}  // namespace sorvane::testing
