#include "run_program.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace sorvane::testing {
namespace {

using Finished = ProgramRun;

Finished runCli(const std::vector<std::string>& arguments) { return runProgram(SORVANE_CLI_PATH, arguments); }

std::string lastLine(const std::string& text) {
  const auto end = text.find_last_not_of('\n');
  const auto start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

class Cli : public ::testing::Test {
 protected:
  TempFolder folder;
};

TEST_F(Cli, ReplacesInFilesAndReportsOnTheLastLine) {
  writeFile(folder / "a.txt", "Old old\r\n");
  writeFile(folder / "-dash.txt", "old");
  const Finished run = runCli({"--find", "old", "--replace", "new", folder / "a.txt", "--", folder / "-dash.txt"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(lastLine(run.out), "Made 2 replacements.");
  EXPECT_EQ(readFile(folder / "a.txt"), "Old new\r\n");
  EXPECT_EQ(readFile(folder / "-dash.txt"), "new");

  const Finished ignoring = runCli({"--find=NEW", "--replace=x", "--ignore-case", folder / "a.txt"});
  EXPECT_EQ(lastLine(ignoring.out), "Made 1 replacements.");
  EXPECT_EQ(readFile(folder / "a.txt"), "Old x\r\n");
}

TEST_F(Cli, Utf16FilesAreRewrittenInUtf16AndUtf32FilesAreRefused) {
  writeFile(folder / "le.txt", std::string("\xFF\xFE" "h\0e\0l\0l\0o\0\r\0\n\0", 16));
  writeFile(folder / "be.txt", std::string("\xFE\xFF\0x\0Y\0E", 8));
  writeFile(folder / "utf32.txt", std::string("\0\0\xFE\xFF\0\0\0h", 8));
  Finished run = runCli({"--find", "h", "--replace", "xy", folder / "le.txt", folder / "be.txt", folder / "utf32.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(lastLine(run.out), "Made 1 replacements.");
  EXPECT_NE(run.err.find("\nError number:  75\n"), std::string::npos);
  EXPECT_EQ(readFile(folder / "le.txt"), std::string("\xFF\xFE" "x\0y\0e\0l\0l\0o\0\r\0\n\0", 18));
  EXPECT_EQ(readFile(folder / "utf32.txt"), std::string("\0\0\xFE\xFF\0\0\0h", 8));

  run = runCli({"--find", "XYE", "--replace", "\xC3\xA9", "--ignore-case", folder / "le.txt", folder / "be.txt"});
  EXPECT_EQ(lastLine(run.out), "Made 2 replacements.");
  EXPECT_EQ(readFile(folder / "le.txt"), std::string("\xFF\xFE" "\xE9\0l\0l\0o\0\r\0\n\0", 14));
  EXPECT_EQ(readFile(folder / "be.txt"), std::string("\xFE\xFF\0\xE9", 4));
}

TEST_F(Cli, DryRunCountsWithoutWriting) {
  std::filesystem::create_directories(folder / "sub");
  writeFile(folder / "sub/b.txt", "needle needle");
  writeFile(folder / "c.js", "needle");
  const Finished run = runCli({"--find", "needle", "--dry-run", "--folder", folder.path(), "--type",
                               "Text Files (*.txt)", "--recursive"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(lastLine(run.out), "Found 2 occurrences.");
  EXPECT_EQ(readFile(folder / "sub/b.txt"), "needle needle");
}

TEST_F(Cli, FailingFileIsReportedSkippedOrStopsTheRun) {
  writeFile(folder / "b.txt", "x");
  const std::vector<std::string> files = {folder / "missing.txt", folder / "b.txt"};

  Finished run = runCli({"--find", "x", "--replace", "y", files[0], files[1]});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The file '" + files[0] + "' could not be opened"), std::string::npos);
  EXPECT_NE(run.err.find("\nError number:  53\n"), std::string::npos);
  EXPECT_EQ(lastLine(run.out), "Made 1 replacements.");

  run = runCli({"--find", "y", "--replace", "z", "--stop-on-error", files[0], files[1]});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(lastLine(run.out), "Made 0 replacements.");
  EXPECT_EQ(readFile(files[1]), "y");
}

TEST_F(Cli, UsageErrorsAndHelp) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {}, {"--find", "x"}, {"--replace", "y", "file"}, {"--find", "x", "--bogus", "file"},
           {"--find", "x", "--folder", "d", "file"}, {"--find", "x", "--recursive", "file"}, {"--find"}}) {
    const Finished run = runCli(arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Usage:"), std::string::npos);
    EXPECT_TRUE(run.out.empty());
  }
  const Finished help = runCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--stop-on-error"), std::string::npos);
}

}  // namespace
}  // namespace sorvane::testing
