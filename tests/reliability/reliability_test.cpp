// Killed, out of space, without permissions, with hostile names: each file is old or new.

#include "extended_attributes.h"
#include "reference_replace.h"
#include "run_program.h"
#include "system_calls.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::testing {
namespace {

namespace fs = std::filesystem;

const std::string kCli = SORVANE_CLI_PATH;

// A small file system of its own at `path`, where the process may mount one; gone with this.
struct MountedTmpfs {
  MountedTmpfs(const std::string& path, const char* options) : path(path) {
    fs::create_directory(path);
    mounted = ::mount("tmpfs", path.c_str(), "tmpfs", 0, options) == 0;
  }
  ~MountedTmpfs() { if (mounted) ::umount(path.c_str()); }
  MountedTmpfs(const MountedTmpfs&) = delete;  // unmounts once
  MountedTmpfs& operator=(const MountedTmpfs&) = delete;
  std::string path;
  bool mounted = false;
};

class Reliability : public ::testing::Test {
 protected:
  // Runs a copy of the front end (the build may lie out of reach) as "nobody" when root.
  ProgramRun runUnprivileged(const std::vector<std::string>& arguments) {
    const std::string cli = programFolder / "sorvane-cli", userState = programFolder / "state";
    if (!fs::exists(cli)) {
      ::chmod(programFolder.path().c_str(), 0755);
      fs::copy_file(kCli, cli);
      ::chmod(cli.c_str(), 0755);
      fs::create_directory(userState);  // the user's own journal
      giveAway(userState);
    }
    ::setenv("XDG_STATE_HOME", userState.c_str(), 1);
    ProgramRun run = runProgram(cli, arguments, {.asUnprivileged = true});
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    return run;
  }

  // Hands a file or folder to "nobody" when the tests run as root.
  static void giveAway(const std::string& path) {
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(path.c_str(), unprivilegedUser(), unprivilegedGroup()), 0) << path;
    }
  }

  TemporaryStateHome state;
  TempFolder folder;
  TempFolder programFolder;
};

// Killed at any moment, a run leaves each file old or new, only temporary files beside them, and
// undo restores every file the run finished.
TEST_F(Reliability, AKilledRunLeavesEachFileOldOrNewAndUndoRestoresEveryFileItFinished) {
  struct File { std::string path, old, rewritten; };
  std::string big;
  for (int i = 0; i < 200000; ++i) big += "line " + std::to_string(i) + " holds a needle here\r\n";
  std::vector<File> files = {{folder / "big.txt", big, referenceReplace(big, "needle", "thread", false).output}};
  for (int i = 0; i < 60; ++i) {
    const std::string sub = folder / ("d" + std::to_string(i % 7)), text = std::string(i * 400, 'x') + "needle\r\n";
    fs::create_directories(sub);
    files.push_back({sub + "/f" + std::to_string(i) + ".txt", text, std::string(i * 400, 'x') + "thread\r\n"});
  }
  std::mt19937 random(11);
  int finished = 0;
  long wholeRun = 0;  // microseconds; the first round is not killed and times the run
  for (int round = 0; round < 10; ++round) {
    for (const File& file : files) writeFile(file.path, file.old);
    const int killAfter = round > 0 ? static_cast<int>(random() % static_cast<unsigned long>(wholeRun)) : -1;
    const auto start = std::chrono::steady_clock::now();
    runProgram(kCli, {"--find", "needle", "--replace", "thread", "--folder", folder.path(), "--recursive", "--jobs",
                      round % 2 == 0 ? "1" : "3"}, {.killAfterMicroseconds = killAfter});
    if (round == 0)
      wholeRun = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
    for (const File& file : files) {
      const std::string now = readFile(file.path);
      ASSERT_TRUE(now == file.old || now == file.rewritten) << "round " << round << ": " << file.path << " is a mix";
      finished += now != file.old;
    }
    const ProgramRun undo = runProgram(kCli, {"--undo"});
    for (const File& file : files)
      ASSERT_EQ(readFile(file.path), file.old) << "round " << round << ", " << file.path << "\n" << undo.out << undo.err;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {  // what lies beside the files
      const std::string name = entry.path().filename();
      const bool temporary = name.starts_with(".sorvane-") && name.ends_with(".tmp");
      EXPECT_TRUE(entry.is_directory() || name.ends_with(".txt") || temporary) << entry.path();
    }
  }
  EXPECT_GT(finished, 0);
}

TEST_F(Reliability, FileSizeLimitAndReadOnlyFileSystemAreReportedAsSuchAndTheSourcesStay) {
  const std::string path = folder / "large.txt";
  const std::string text = "needle\r\n" + std::string(1 << 20, 'x');
  writeFile(path, text);
  const ProgramRun run =
      runProgram(kCli, {"--find", "needle", "--replace", "thread!", path}, {.fileSizeLimit = 64 << 10});
  EXPECT_EQ(std::tuple(run.status, run.err, lastLine(run.out), readFile(path) == text, namesIn(folder.path())),
            std::tuple(1, "sorvane-cli: " + path + ": Disk full (error 61)\n", "Made 0 replacements.", true,
                       std::vector<std::string>{"large.txt"}));

  // A read-only file system is named as such, not as a missing permission.
  if (::geteuid() != 0) GTEST_SKIP() << "only root mounts the read-only file system";
  const std::string readOnly = folder / "read-only";
  const MountedTmpfs mounted(readOnly, "size=64k");
  if (!mounted.mounted) GTEST_SKIP() << "no file system of its own may be mounted here";
  writeFile(readOnly + "/a.txt", "needle");
  ASSERT_EQ(::mount(nullptr, readOnly.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  EXPECT_EQ(runProgram(kCli, {"--find", "needle", "--replace", "thread", readOnly + "/a.txt"}).err,
            "sorvane-cli: " + readOnly + "/a.txt: Path/File access error: read-only file system (error 75)\n");
  EXPECT_EQ(readFile(readOnly + "/a.txt"), "needle");
}

// With the journal on another file system, undo copies each original beside its file: on a full
// disk no cut copy is put in place, the file keeps what the run wrote, and the next undo tries it.
TEST_F(Reliability, UndoOntoAFullDiskPutsNoCutCopyInPlaceAndTriesAgain) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root mounts the small file system";
  const std::string disk = folder / "small";
  const MountedTmpfs mounted(disk, "size=1m");
  if (!mounted.mounted) GTEST_SKIP() << "no file system of its own may be mounted here";
  const std::string path = disk + "/a.txt", text = "needle\r\n" + std::string(256 << 10, 'x');
  writeFile(path, text);
  ASSERT_EQ(runProgram(kCli, {"--find", "needle", "--replace", "thread", path}).status, 0);
  const std::string rewritten = readFile(path);
  for (std::ofstream filler(disk + "/filler", std::ios::binary); filler << std::string(4096, 'f');) {}
  ::sync();
  const ProgramRun full = runProgram(kCli, {"--undo"});
  EXPECT_TRUE(full.status != 0 && full.out.find("Restored 0 files.") != std::string::npos &&
              (full.out + full.err).find(path) != std::string::npos) << full.out << full.err;
  EXPECT_TRUE(readFile(path) == rewritten) << "cut to " << readFile(path).size() << " bytes";
  EXPECT_EQ(namesIn(disk), (std::vector<std::string>{"a.txt", "filler"}));

  fs::remove(disk + "/filler");
  const ProgramRun room = runProgram(kCli, {"--undo"});
  EXPECT_TRUE(room.status == 0 && readFile(path) == text) << room.out << room.err;
}

// A file of another user's that "nobody" rewrites becomes nobody's, so it loses its set-id bits;
// of the attributes, what nobody may not set (a file capability) is skipped and the rest kept.
TEST_F(Reliability, PermissionFailuresAreReportedOnALineEachAndTheSourcesStay) {
  ::chmod(folder.path().c_str(), 0777);
  const std::string readOnly = folder / "read-only.txt", unreadable = folder / "unreadable.txt";
  const std::string lockedFolder = folder / "locked", inLocked = folder / "locked/inside.txt";
  const std::string fine = folder / "fine.txt", setUid = folder / "set-uid.txt", setGid = folder / "set-gid.txt";
  // Folders that cannot be listed: one that may be read but not searched, one the other way round.
  const std::string unsearchable = folder / "unsearchable", unlistable = folder / "unlistable";
  for (const std::string& path : {lockedFolder, unsearchable, unlistable}) fs::create_directory(path);
  for (const std::string& path :
       {readOnly, unreadable, fine, inLocked, unsearchable + "/x.txt", unlistable + "/x.txt", setUid, setGid})
    writeFile(path, "needle");
  for (const auto& [path, mode] : std::vector<std::pair<std::string, mode_t>>{
           {readOnly, 0444}, {unreadable, 0000}, {inLocked, 0666}, {fine, 0666}, {lockedFolder, 0555},
           {unlistable + "/x.txt", 0666}, {unsearchable, 0644}, {unlistable, 0311}}) {
    ::chmod(path.c_str(), mode);
    giveAway(path);
  }
  for (const auto& [path, bit] : {std::pair{setUid, S_ISUID}, std::pair{setGid, S_ISGID}}) ::chmod(path.c_str(), bit | 0777);
  setAttribute(fine, "user.origin", "downloaded");
  setAttribute(fine, "system.posix_acl_access", accessListReadableByNobody());
  const auto attributes = attributesOf(fine);
  setAttribute(fine, "security.capability", bindCapability());  // as root only; nobody may not set it

  // A file in a folder that may be searched but not read can be named, and rewritten.
  const ProgramRun stopped = runUnprivileged(
      {"--find", "needle", "--replace", "x", "--stop-on-error", unlistable + "/x.txt", readOnly, fine});
  EXPECT_EQ(std::tie(stopped.status, stopped.err),
            std::tuple(1, "sorvane-cli: " + readOnly + ": Permission denied (error 70)\n"));
  EXPECT_EQ(readFile(unlistable + "/x.txt") + readFile(fine), "xneedle");

  const ProgramRun run = runUnprivileged({"--find", "needle", "--replace", "x", "--folder", folder.path(), "--recursive"});
  EXPECT_EQ(std::tie(run.status, run.err), std::tuple(1, "sorvane-cli: " + readOnly + ": Permission denied (error 70)\n" +
                         "sorvane-cli: " + unreadable + ": Permission denied (error 70)\n" +
                         "sorvane-cli: " + inLocked + ": Permission denied (its folder cannot be written) (error 70)\n" +
                         "sorvane-cli: " + unlistable + ": Permission denied (error 70)\n" +
                         "sorvane-cli: " + unsearchable + ": Permission denied (error 70)\n"));
  EXPECT_EQ(std::tuple(lastLine(run.out), readFile(fine), attributesOf(fine)),
            std::tuple("Made 3 replacements.", "x", attributes));
  // Only as root are the set-id files another user's. A file the user may not write stays
  // another's, although the user may write its folder: only root can hand the folder to another user.
  if (::geteuid() == 0) {
    EXPECT_EQ(std::pair(statusOf(setUid).st_mode & 07777, statusOf(setGid).st_mode & 07777), std::pair(0777u, 0777u));
    const std::string ownFolder = programFolder / "own", others = programFolder / "own/root's.txt";
    fs::create_directory(ownFolder);
    writeFile(others, "needle");
    ::chmod(others.c_str(), 0644);
    giveAway(ownFolder);
    const ProgramRun refused = runUnprivileged({"--find", "needle", "--replace", "x", others});
    EXPECT_EQ(refused.err, "sorvane-cli: " + others + ": Permission denied (error 70)\n");
    EXPECT_EQ(std::tuple(readFile(others), statusOf(others).st_uid), std::tuple(std::string("needle"), ::geteuid()));
  }
  // A folder that cannot be listed fails the run even when no file does.
  const ProgramRun folderOnly = runUnprivileged({"--find", "needle", "--folder", unsearchable});
  EXPECT_EQ(std::tie(folderOnly.status, folderOnly.err),
            std::tuple(1, "sorvane-cli: " + unsearchable + ": Permission denied (error 70)\n"));
  ::chmod(unreadable.c_str(), 0644);
  for (const std::string& path : {readOnly, inLocked, unreadable}) EXPECT_EQ(readFile(path), "needle") << path;
  EXPECT_EQ(namesIn(lockedFolder), std::vector<std::string>{"inside.txt"});
}

// Hostile names and long paths are walked and named; a walk follows no link, so nothing is
// rewritten twice (a second pass would find the term in "needle!").
TEST_F(Reliability, HostileNamesLongPathsAndLinkLoopsAreEachRewrittenOnce) {
  const std::vector<std::string> names = {"with blank.txt", "quote\"s'.txt", "new\nline.txt", "\xff\xfe-latin1.txt",
                                          "-leading-dash.txt", "--find.txt"};
  std::string deep = folder.path();
  for (int level = 0; level < 6; ++level) deep += "/" + std::string(60, static_cast<char>('a' + level));
  fs::create_directories(deep);
  const std::string longPath = deep + "/" + std::string(100, 'z') + ".txt";
  ASSERT_GT(longPath.size(), 255u);
  std::vector<std::string> paths = {longPath}, arguments = {"--find", "needle!", "--replace", "pin", "--"};
  for (const std::string& name : names) paths.push_back(folder / name);
  for (const std::string& path : paths) writeFile(path, "needle\n");
  arguments.insert(arguments.end(), paths.begin(), paths.end());
  fs::create_directories(folder / "a/b");
  writeFile(folder / "a/b/x.txt", "needle");
  fs::create_directory_symlink("..", folder / "a/b/up");
  fs::create_directory_symlink(folder.path(), folder / "a/root");
  fs::create_symlink("x.txt", folder / "a/b/x-link.txt");

  const ProgramRun walk =
      runProgram(kCli, {"--find", "needle", "--replace", "needle!", "--folder", folder.path(), "--recursive"});
  EXPECT_EQ(std::pair(walk.status, lastLine(walk.out)), std::pair(0, std::string("Made 8 replacements."))) << walk.err;
  EXPECT_EQ(readFile(folder / "a/b/x.txt"), "needle!");
  for (const std::string& path : paths) EXPECT_EQ(readFile(path), "needle!\n") << path;
  const ProgramRun files = runProgram(kCli, arguments);
  EXPECT_EQ(std::pair(files.status, lastLine(files.out)), std::pair(0, std::string("Made 7 replacements."))) << files.err;
}

}  // namespace
}  // namespace sorvane::testing
