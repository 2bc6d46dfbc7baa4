#include "run_program.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace sorvane::testing {
namespace {

using Finished = ProgramRun;

Finished runCli(const std::vector<std::string>& arguments) { return runProgram(SORVANE_CLI_PATH, arguments); }

class Cli : public ::testing::Test {
 protected:
  TempFolder folder;
};

TEST_F(Cli, ReplacesInEachFileOnceAndReportsOnTheLastLine) {
  writeFile(folder / "a.txt", "Old old\r\n");
  writeFile(folder / "-dash.txt", "old");
  std::filesystem::create_symlink("a.txt", folder / "link.txt");
  // Named three times, a.txt is rewritten once: a second pass would find "old" in "bold".
  const Finished run = runCli({"--find", "zzz", "--find", "old", "--replace", "bold", folder / "a.txt",
                               folder / "link.txt", folder / "a.txt", "--", folder / "-dash.txt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(lastLine(run.out), "Made 2 replacements.");
  EXPECT_EQ(readFile(folder / "a.txt"), "Old bold\r\n");
  EXPECT_EQ(readFile(folder / "-dash.txt"), "bold");

  const Finished ignoring = runCli({"--find=BOLD", "--replace=", "--ignore-case", folder / "a.txt"});
  EXPECT_EQ(lastLine(ignoring.out), "Made 1 replacements.");
  EXPECT_EQ(readFile(folder / "a.txt"), "Old \r\n");
}

TEST_F(Cli, DryRunCountsWithoutWritingAndListsWhere) {
  std::filesystem::create_directories(folder / "sub");
  writeFile(folder / "sub/b.txt", "needle needle");
  writeFile(folder / "a.txt", "needle");
  writeFile(folder / "c.js", "needle");
  writeFile(folder / "d.txt", "nothing");
  const Finished run =
      runCli({"--find", "needle", "--dry-run", "--list", "--folder", folder.path(), "--type", "TXT", "--recursive"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, folder / "a.txt: 1\n" + folder / "sub/b.txt: 2\n" + "Found 3 occurrences.\n");
  EXPECT_EQ(readFile(folder / "sub/b.txt"), "needle needle");
}

TEST_F(Cli, UsageErrorsSayWhatIsWrong) {
  writeFile(folder / "file.txt", "x\r\n");
  const std::string file = folder / "file.txt";
  struct Case {
    std::vector<std::string> arguments;
    std::string says;
  };
  for (const Case& usage : std::vector<Case>{
           {{}, "--find is required"},
           {{"--find", "x"}, "no FILE"},
           {{"--replace", "y", file}, "--find is required"},
           {{"--find", "x", "--bogus", file}, "--bogus"},
           {{"--find", "x", "--dry-run=no", file}, "dry-run"},
           {{"--find", "x", "--folder", folder.path(), file}, "not both"},
           {{"--find", "x", "--recursive", file}, "go with --folder"},
           {{"--find"}, "--find"},
           {{"--find", "", file}, "--find needs a text"},
           {{"--find", "x\r\n", file}, "cannot span a line end"},
           {{"--find", "x", "--folder", folder / "none"}, "no such folder"},
           {{"--find", "x", "--folder", file}, "is not a folder"},
           {{"--find", "x", "--folder", ""}, "--folder needs a folder name"},
           {{"--find", "x", "--folder", folder.path(), "--type", "Text"},
            "the types are \"All Files (*.*)\" (all), \"HTML Files (*.htm, *.html)\" (html), "
            "\"JavaScript Files (*.js)\" (js), \"Text Files (*.txt)\" (txt)"},
       }) {
    const Finished run = runCli(usage.arguments);
    EXPECT_EQ(run.status, 2) << usage.says;
    EXPECT_EQ(run.err.rfind("sorvane-cli: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(usage.says), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Usage:"), std::string::npos);
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_EQ(readFile(file), "x\r\n");
}

TEST_F(Cli, HelpAndVersion) {
  const Finished help = runCli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--stop-on-error", "--list", "--version", "all, html, js, txt", "(error N)"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  const Finished version = runCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "sorvane-cli 2.1.0\n");
}

}  // namespace
}  // namespace sorvane::testing
