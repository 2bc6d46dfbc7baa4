// Fault tests: the front end is killed, runs out of space, meets permissions it lacks and
// names that break naive code. In every case a user's file is either its old self or its new
// self, and the run says what went wrong.

#include "extended_attributes.h"
#include "reference_replace.h"
#include "run_program.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::testing {
namespace {

namespace fs = std::filesystem;

const std::string kCli = SORVANE_CLI_PATH;

bool isTemporaryName(const std::string& name) {
  return name.rfind(".sorvane-", 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
}

class Reliability : public ::testing::Test {
 protected:
  // Runs the front end as "nobody" when the tests run as root, whom permissions do not stop.
  // The build folder may lie where "nobody" cannot reach (a root-only home): it runs a copy.
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
    ProgramOptions asUser;
    asUser.asUnprivileged = true;
    ProgramRun run = runProgram(cli, arguments, asUser);
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

TEST_F(Reliability, KilledMidRewriteLeavesOldOrNewContent) {
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "line " + std::to_string(i) + " holds a needle here\r\n";
  const std::string rewritten = referenceReplace(text, "needle", "thread", false).output;
  const std::string path = folder / "big.txt";
  std::mt19937 random(7);
  int old = 0, fresh = 0;
  for (int round = 0; round < 12; ++round) {
    writeFile(path, text);
    ProgramOptions options;
    options.killAfterMicroseconds = static_cast<int>(random() % 400000);
    runProgram(kCli, {"--find", "needle", "--replace", "thread", path}, options);
    const std::string now = readFile(path);
    ASSERT_TRUE(now == text || now == rewritten) << "round " << round << ": a mix of old and new";
    (now == text ? old : fresh) += 1;
    for (const std::string& name : namesIn(folder.path())) {
      if (name == "big.txt") continue;
      EXPECT_TRUE(isTemporaryName(name)) << name;
      fs::remove(folder / name);
    }
  }
  std::cout << "killed runs: " << old << " left the old text, " << fresh << " the new\n";
}

TEST_F(Reliability, UndoAfterAKillAtAnyMomentRestoresEveryFileTheRunFinishedSerialOrParallel) {
  std::vector<std::string> texts;
  for (int i = 0; i < 60; ++i) {
    fs::create_directories(folder / ("d" + std::to_string(i % 7)));
    texts.push_back(std::string(static_cast<std::size_t>(i) * 400, 'x') + "needle " + std::to_string(i) + "\r\n");
  }
  const auto path = [&](int i) { return folder / ("d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".txt"); };
  const std::vector<std::string> run = {"--find", "needle", "--replace", "thread", "--folder", folder.path(), "--recursive"};
  // Serial and parallel runs take turns: the work done ahead of the renames is lost, never half kept.
  std::mt19937 random(11);
  int finished = 0;
  long wholeRun = 0;  // microseconds; the first round is not killed and times the run
  for (int round = 0; round < 8; ++round) {
    for (int i = 0; i < 60; ++i) writeFile(path(i), texts[static_cast<std::size_t>(i)]);
    ProgramOptions options;
    if (round > 0) options.killAfterMicroseconds = static_cast<int>(random() % static_cast<unsigned long>(wholeRun));
    std::vector<std::string> arguments = run;
    arguments.insert(arguments.end(), {"--jobs", round % 2 == 0 ? "1" : "3"});
    const auto start = std::chrono::steady_clock::now();
    runProgram(kCli, arguments, options);
    if (round == 0)
      wholeRun = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
    for (int i = 0; i < 60; ++i) finished += readFile(path(i)) != texts[static_cast<std::size_t>(i)];
    const ProgramRun undo = runProgram(kCli, {"--undo"});
    for (int i = 0; i < 60; ++i)
      ASSERT_EQ(readFile(path(i)), texts[static_cast<std::size_t>(i)]) << "round " << round << ", file " << i << "\n"
                                                                       << undo.out << undo.err;
    for (int d = 0; d < 7; ++d) {
      const std::string sub = folder / ("d" + std::to_string(d));
      for (const std::string& name : namesIn(sub))
        if (isTemporaryName(name)) fs::remove(sub + "/" + name);
    }
  }
  std::cout << "killed runs had finished " << finished << " files in all, every one restored\n";
  EXPECT_GT(finished, 0);
}

TEST_F(Reliability, FileSizeLimitIsReportedAsDiskFullAndTheSourceStays) {
  const std::string path = folder / "large.txt";
  const std::string text = "needle\r\n" + std::string(1 << 20, 'x');
  writeFile(path, text);
  ProgramOptions options;
  options.fileSizeLimit = 64 * 1024;
  const ProgramRun run = runProgram(kCli, {"--find", "needle", "--replace", "thread!", path}, options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "sorvane-cli: " + path + ": Disk full (error 61)\n");
  EXPECT_EQ(lastLine(run.out), "Made 0 replacements.");
  EXPECT_EQ(readFile(path), text);
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"large.txt"});
}

TEST_F(Reliability, PermissionFailuresAreReportedOnALineEachAndTheSourcesStay) {
  ::chmod(folder.path().c_str(), 0777);
  const std::string readOnly = folder / "read-only.txt", unreadable = folder / "unreadable.txt";
  const std::string lockedFolder = folder / "locked", inLocked = folder / "locked/inside.txt";
  const std::string fine = folder / "fine.txt";
  // Folders that cannot be listed: one that may be read but not searched, one the other way round.
  const std::string unsearchable = folder / "unsearchable", unlistable = folder / "unlistable";
  for (const std::string& path : {lockedFolder, unsearchable, unlistable}) fs::create_directory(path);
  for (const std::string& path : {readOnly, unreadable, fine, inLocked, unsearchable + "/x.txt", unlistable + "/x.txt"})
    writeFile(path, "needle");
  for (const auto& [path, mode] : std::vector<std::pair<std::string, mode_t>>{
           {readOnly, 0444}, {unreadable, 0000}, {inLocked, 0666}, {fine, 0666}, {lockedFolder, 0555},
           {unlistable + "/x.txt", 0666}, {unsearchable, 0644}, {unlistable, 0311}}) {
    ::chmod(path.c_str(), mode);
    giveAway(path);
  }

  // A file in a folder that may be searched but not read can be named, and rewritten.
  const ProgramRun stopped = runUnprivileged(
      {"--find", "needle", "--replace", "x", "--stop-on-error", unlistable + "/x.txt", readOnly, fine});
  EXPECT_EQ(stopped.status, 1);
  EXPECT_EQ(stopped.err, "sorvane-cli: " + readOnly + ": Permission denied (error 70)\n");
  EXPECT_EQ(readFile(unlistable + "/x.txt"), "x");
  EXPECT_EQ(readFile(fine), "needle");

  const ProgramRun run = runUnprivileged({"--find", "needle", "--replace", "x", "--folder", folder.path(), "--recursive"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "sorvane-cli: " + readOnly + ": Permission denied (error 70)\n" +
                         "sorvane-cli: " + unreadable + ": Permission denied (error 70)\n" +
                         "sorvane-cli: " + inLocked + ": Permission denied (its folder cannot be written) (error 70)\n" +
                         "sorvane-cli: " + unlistable + ": Permission denied (error 70)\n" +
                         "sorvane-cli: " + unsearchable + ": Permission denied (error 70)\n");
  EXPECT_EQ(lastLine(run.out), "Made 1 replacements.");
  EXPECT_EQ(readFile(fine), "x");
  // A folder that cannot be listed fails the run even when no file does.
  const ProgramRun folderOnly = runUnprivileged({"--find", "needle", "--folder", unsearchable});
  EXPECT_EQ(folderOnly.status, 1);
  EXPECT_EQ(folderOnly.err, "sorvane-cli: " + unsearchable + ": Permission denied (error 70)\n");
  EXPECT_EQ(readFile(readOnly), "needle");
  EXPECT_EQ(readFile(inLocked), "needle");
  EXPECT_EQ(namesIn(lockedFolder), std::vector<std::string>{"inside.txt"});
  ::chmod(unreadable.c_str(), 0644);
  EXPECT_EQ(readFile(unreadable), "needle");
}

TEST_F(Reliability, UnprivilegedRewriteKeepsUserAttributesAndAccessListAndSkipsWhatItMayNotSet) {
  ::chmod(folder.path().c_str(), 0777);
  const std::string path = folder / "labelled.txt";
  writeFile(path, "needle");
  ::chmod(path.c_str(), 0640);
  giveAway(path);
  if (!setAttribute(path, "user.origin", "downloaded") ||
      !setAttribute(path, "system.posix_acl_access", accessListReadableByNobody()))
    GTEST_SKIP() << "the temporary folder's file system has no extended attributes";
  auto attributes = attributesOf(path);
  if (setAttribute(path, "security.capability", bindCapability())) {  // as root only
    EXPECT_EQ(attributesOf(path).count("security.capability"), 1u);
  }

  const ProgramRun run = runUnprivileged({"--find", "needle", "--replace", "pin", path});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(path), "pin");
  EXPECT_EQ(attributesOf(path), attributes);
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"labelled.txt"});
}

// Another user's file that "nobody" may write becomes nobody's when rewritten: set-id, it would
// then run as nobody, or with nobody's group.
TEST_F(Reliability, RewriteThatCannotKeepTheOwnerDropsTheSetIdBits) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to own a file that another user rewrites";
  ::chmod(folder.path().c_str(), 0777);
  const std::string path = folder / "tool.sh";
  for (const mode_t setId : {S_ISUID, S_ISGID}) {
    fs::remove(path);
    writeFile(path, "needle");
    ::chmod(path.c_str(), setId | 0777);
    const ProgramRun run = runUnprivileged({"--find", "needle", "--replace", "pin", path});
    EXPECT_EQ(run.status, 0) << run.err;
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(readFile(path), "pin");
    EXPECT_EQ(st.st_mode & 07777, 0777u) << "set-id bit " << std::oct << setId;
  }
}

TEST_F(Reliability, HostileNamesAndLongPathsAreRewritten) {
  const std::vector<std::string> names = {"with blank.txt", "quote\"s'.txt", "new\nline.txt", "\xff\xfe-latin1.txt",
                                          "-leading-dash.txt", "--find.txt"};
  std::string deep = folder.path();
  for (int level = 0; level < 6; ++level) deep += "/" + std::string(60, static_cast<char>('a' + level));
  fs::create_directories(deep);
  const std::string longPath = deep + "/" + std::string(100, 'z') + ".txt";
  ASSERT_GT(longPath.size(), 255u);
  for (const std::string& name : names) writeFile(folder / name, "needle\n");
  writeFile(longPath, "needle\n");

  const ProgramRun walk = runProgram(kCli, {"--find", "needle", "--replace", "pin", "--folder", folder.path(), "--recursive"});
  EXPECT_EQ(walk.status, 0) << walk.err;
  EXPECT_EQ(lastLine(walk.out), "Made 7 replacements.");
  for (const std::string& name : names) EXPECT_EQ(readFile(folder / name), "pin\n") << name;
  EXPECT_EQ(readFile(longPath), "pin\n");

  std::vector<std::string> arguments = {"--find", "pin", "--replace", "needle", "--"};
  for (const std::string& name : names) arguments.push_back(folder / name);
  arguments.push_back(longPath);
  const ProgramRun files = runProgram(kCli, arguments);
  EXPECT_EQ(files.status, 0) << files.err;
  EXPECT_EQ(lastLine(files.out), "Made 7 replacements.");
}

TEST_F(Reliability, LinkLoopsEndAndNoFileIsRewrittenTwice) {
  fs::create_directories(folder / "a/b");
  writeFile(folder / "a/b/x.txt", "needle");
  fs::create_directory_symlink("..", folder / "a/b/up");
  fs::create_directory_symlink(folder.path(), folder / "a/root");
  fs::create_symlink("x.txt", folder / "a/b/x-link.txt");
  const ProgramRun run = runProgram(kCli, {"--find", "e", "--replace", "ee", "--folder", folder.path(), "--recursive"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(lastLine(run.out), "Made 3 replacements.");  // once, through its one real name
  EXPECT_EQ(readFile(folder / "a/b/x.txt"), "neeeedlee");
}

}  // namespace
}  // namespace sorvane::testing
