#include "run_program.h"
#include "temp_folder.h"
#include "utf16_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>
#include <sys/stat.h>

namespace sorvane::testing {
namespace {

ProgramRun runCli(const std::vector<std::string>& arguments) { return runProgram(SORVANE_CLI_PATH, arguments); }

class Cli : public ::testing::Test {
 protected:
  TemporaryStateHome state;
  TempFolder folder;
};

TEST_F(Cli, ReplacesInEachFileOnceAndReportsOnTheLastLine) {
  writeFile(folder / "a.txt", "Old old\r\n");
  writeFile(folder / "-dash.txt", "old");
  std::filesystem::create_symlink("a.txt", folder / "link.txt");
  std::filesystem::create_directory_symlink(".", folder / "here");
  std::filesystem::create_hard_link(folder / "a.txt", folder / "hard.txt");
  // Named four times, a.txt is rewritten once ("bold" holds "old"); its hard link is a file too.
  const ProgramRun run = runCli({"--find", "zzz", "--find", "old", "--replace", "bold", folder / "a.txt",
                               folder / "link.txt", folder / "a.txt", folder / "hard.txt", folder / "here/a.txt", "--",
                               folder / "-dash.txt"});
  EXPECT_EQ(std::pair(run.status, lastLine(run.out)), std::pair(0, std::string("Made 3 replacements.")));
  EXPECT_EQ(readFile(folder / "a.txt") + readFile(folder / "hard.txt") + readFile(folder / "-dash.txt"),
            "Old bold\r\nOld bold\r\nbold");

  const ProgramRun ignoring = runCli({"--find=BOLD", "--replace=", "--ignore-case", folder / "a.txt"});
  EXPECT_EQ(std::tuple(lastLine(ignoring.out), readFile(folder / "a.txt")), std::tuple("Made 1 replacements.", "Old \r\n"));
}

// A preview prints each changed line as is and as will be, coloured when asked, non-text escaped,
// and ends as a dry run does; a dry run counts each file in its own encoding. Neither writes;
// then a run reaches a file deeper than a path may name.
TEST_F(Cli, PreviewAndDryRunPrintWhatWouldChangeWithoutWritingAndARunReachesAnyDepth) {
  const std::map<std::string, std::string> files = {
      {"crlf.txt", "one old\r\ntwo\r\nOld old\r\n"},
      {"cr.txt", "old\rtwo\rx old y\r"},
      {"lf.txt", "x old\ny z\nold\ny\n"},
      {"u16.txt", utf16File(u"old\r\nx old", false)},
      {"utf32.txt", std::string("\xFF\xFE\0\0o\0\0\0", 8)},
      {"odd\x1B.txt", "\xEF\xBB\xBF\x01old\xFF\tend"},
      {"dry/sub/b.txt", "needle needle"}, {"dry/a.txt", "needle"}, {"dry/c.js", "needle"}, {"dry/d.txt", "nothing"},
      {"dry/u16.txt", utf16File(u"Needle", false)},
  };
  const std::string dry = folder / "dry";
  std::filesystem::create_directories(dry + "/sub");
  // Twice ten folders of 250-byte names: a file deeper than any path may name.
  std::string ten;
  for (char level = 'a'; level < 'a' + 10; ++level) ten += "/" + std::string(250, level);
  const std::string deep = folder / "deep" + ten + ten;
  const std::filesystem::path start = std::filesystem::current_path();
  std::filesystem::create_directories(folder / "deep" + ten);
  std::filesystem::current_path(folder / "deep" + ten);
  std::filesystem::create_directories(ten.substr(1));
  writeFile(ten.substr(1) + "/deep.txt", "old");
  std::filesystem::current_path(start);
  for (const auto& [name, bytes] : files) writeFile(folder / name, bytes);
  const auto red = [](const std::string& text) { return "\x1b[1;31m" + text + "\x1b[0m"; };
  const auto green = [](const std::string& text) { return "\x1b[1;32m" + text + "\x1b[0m"; };
  for (const auto& [arguments, out, status] : std::vector<std::tuple<std::vector<std::string>, std::string, int>>{
           {{"--preview", "--find", "old", "--replace", "new", "--jobs", "3", folder / "crlf.txt", folder / "cr.txt",
             folder / "lf.txt", folder / "u16.txt", folder / "utf32.txt"},
            folder / "crlf.txt\n1-: one old\n1+: one new\n3-: Old old\n3+: Old new\n" + folder /
                "cr.txt\n1-: old\n1+: new\n3-: x old y\n3+: x new y\n" + folder /
                "lf.txt\n1-: x old\n1+: x new\n3-: old\n3+: new\n" + folder /
                "u16.txt\n1-: old\n1+: new\n2-: x old\n2+: x new\nFound 8 occurrences.\n",
            1},
           {{"--preview", "--find", "OLD", "--replace", "new", "--ignore-case", "--color", "always", "--list",
             folder / "crlf.txt"},
            "\x1b[35m" + folder / "crlf.txt\x1b[0m: 3\n1-: one " + red("old") + "\n1+: one " + green("new") + "\n3-: " +
                red("Old") + " " + red("old") + "\n3+: " + green("new") + " " + green("new") + "\nFound 3 occurrences.\n",
            0},
           // Each line a piece touches has its own number, as the file has it and as it will have it.
           {{"--preview", "--find", "old\ny", "--replace", "A\nB\nC", "--color", "never", folder / "lf.txt"},
            folder / "lf.txt\n1-: x old\n2-: y z\n1+: x A\n2+: B\n3+: C z\n3-: old\n4-: y\n4+: A\n5+: B\n6+: C\n" +
                "Found 2 occurrences.\n",
            0},
           {{"--preview", "--find", "old", folder / "odd\x1B.txt"},
            folder / "odd\\x1B.txt\n1-: \\x01old\\xFF\tend\n1+: \\x01\\xFF\tend\nFound 1 occurrences.\n", 0},
           {{"--find", "needle", "--ignore-case", "--dry-run", "--list", "--recursive", "--type=TXT", "--folder", dry},
            dry + "/a.txt: 1\n" + dry + "/u16.txt: 1\n" + dry + "/sub/b.txt: 2\nFound 4 occurrences.\n", 0},
           {{"--preview", "--find", "old", "--replace", "new", "--folder", folder / "deep", "--recursive"},
            deep + "/deep.txt\n1-: old\n1+: new\nFound 1 occurrences.\n", 0},
       }) {
    const ProgramRun run = runCli(arguments);
    EXPECT_EQ(std::tie(run.out, run.status), std::tie(out, status)) << run.err;
  }
  for (const auto& [name, bytes] : files) EXPECT_EQ(readFile(folder / name), bytes) << name;
  EXPECT_TRUE(namesIn(state.path()).empty());
  // Walked to, the deep file is rewritten, once; named by its whole path, it cannot be reached.
  const std::vector<std::string> walk = {"--find", "old", "--replace", "new", "--folder", folder / "deep", "--recursive"};
  for (const char* made : {"Made 1 replacements.", "Made 0 replacements."}) EXPECT_EQ(lastLine(runCli(walk).out), made);
  EXPECT_EQ(runCli({"--find", "old", deep + "/deep.txt"}).err,
            "sorvane-cli: " + deep + "/deep.txt: Path/File access error (error 75)\n");
}

// --glob takes the files a user means: a folder it leaves out is never opened, so one "nobody"
// cannot read costs nothing. A binary file a walk passes over is counted on standard error.
TEST_F(Cli, GlobsTakeTheFilesTheyNameAndAFolderRunPassesOverBinaryFiles) {
  const std::string tree = folder / "tree", cli = folder / "sorvane-cli";
  for (const char* name : {"a.txt", "b.min.js", "c.js", "deep/d.JS", "node_modules/x.js", "deep/build/y.js"}) {
    std::filesystem::create_directories(std::filesystem::path(tree + "/" + name).parent_path());
    writeFile(tree + "/" + name, "needle");
  }
  writeFile(tree + "/img.png", std::string("abc\0needle\0\x89PNG", 15));
  std::filesystem::copy_file(SORVANE_CLI_PATH, cli);  // the build may lie out of the user's reach
  ::chmod(folder.path().c_str(), 0755);
  for (const char* sub : {"/node_modules", "/deep/build"}) ::chmod((tree + sub).c_str(), 0);
  std::vector<std::string> arguments = {"--no-undo", "--dry-run", "--list", "--find", "needle", "--folder", tree,
                                        "--recursive", "--glob", "*.js", "--glob", " !*.min.js", "--glob",
                                        "!node_modules/", "--glob", "!BUILD/", "--glob", "*.png"};
  const std::string c = tree + "/c.js: 1\n", d = tree + "/deep/d.JS: 1\n";  // files before folders
  for (const auto& [out, err] : {std::pair(c + d + "Found 2 occurrences.\n", "sorvane-cli: 1 binary file passed over\n"),
                                 std::pair(c + tree + "/img.png: 1\n" + d + "Found 3 occurrences.\n", "")}) {
    const ProgramRun run = runProgram(cli, arguments, {.asUnprivileged = true});
    EXPECT_EQ(std::tuple(run.status, run.out, run.err), std::tuple(0, out, err));
    arguments.push_back("--binary");
  }
}

// A tree of files, some read-only or UTF-32, so they fail. Returns each file's bytes by path.
std::map<std::string, std::string> treeWithFailures(const std::string& root) {
  std::map<std::string, std::string> files;
  for (int i = 0; i < 150; ++i) {
    const std::string name = "d" + std::to_string(i % 4) + "/e" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".txt";
    std::string& text = files[name];
    for (int line = 0; line < i % 7; ++line) text += "line " + std::to_string(line) + (line % 2 ? " old" : "") + "\r\n";
    if (i % 29 == 28) text = std::string("\xFF\xFE\0\0o\0\0\0", 8);
    std::filesystem::create_directories(std::filesystem::path(root + "/" + name).parent_path());
    writeFile(root + "/" + name, text);
    if (i % 31 == 5) ::chmod((root + "/" + name).c_str(), 0444);
  }
  return files;
}

// On several threads a tree comes out as a serial run leaves it, with the same lines printed.
TEST_F(Cli, ParallelRunMatchesTheSerialRunByteForByteAndLineForLine) {
  const std::string tree = folder / "tree";  // the same path for every run, so they print alike
  for (const bool stopOnError : {false, true}) {
    std::vector<std::tuple<int, std::string, std::string>> printed;
    std::vector<std::map<std::string, std::string>> after;
    for (const char* jobs : {"1", "3"}) {
      std::filesystem::remove_all(tree);
      const auto before = treeWithFailures(tree);
      std::vector<std::string> arguments = {"--find", "old", "--replace", "new", "--list", "--jobs", jobs,
                                            "--folder", tree, "--recursive"};
      if (stopOnError) arguments.push_back("--stop-on-error");
      const ProgramRun run = runCli(arguments);
      EXPECT_TRUE(run.status == 1 && run.err.find("(error 75)") != std::string::npos) << run.err;
      printed.emplace_back(run.status, run.out, run.err);
      after.emplace_back();
      for (const auto& [name, bytes] : before) after.back()[name] = readFile(tree + "/" + name);
      EXPECT_NE(after.back(), before);
    }
    EXPECT_EQ(printed[0], printed[1]);
    EXPECT_TRUE(after[0] == after[1]) << "the files differ from the serial run's";
  }
}

TEST_F(Cli, UsageErrorsSayWhatIsWrong) {
  writeFile(folder / "file.txt", "x\r\n");
  const std::string file = folder / "file.txt";
  for (const auto& [arguments, says] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{}, "--find is required"},
           {{"--find", "x"}, "no FILE"},
           {{"--replace", "y", file}, "--find is required"},
           {{"--find", "x", "--bogus", file}, "--bogus"},
           {{"--find", "x", "--dry-run=no", file}, "dry-run"},
           {{"--find", "x", "--folder", folder.path(), file}, "not both"},
           {{"--find", "x", "--recursive", file}, "go with --folder"},
           {{"--find", "x", "--glob", "*.txt", file}, "--type, --glob, --binary and --recursive go with --folder"},
           {{"--find", "x", "--folder", folder.path(), "--glob", "*.txt", "--glob", "src/*.txt"},
            "--glob: The file mask \"src/*.txt\" cannot be used: \"/\" may only end a mask."},
           {{"--find"}, "--find"},
           {{"--find", "", file}, "--find needs a text"},
           {{"--find", "x\r\n", file}, "cannot span a line end"},
           {{"--regex", "--find", "(abc", file}, "--find: missing closing parenthesis at offset 4"},
           {{"-E", "--find", "(x)", "--replace", "$1x", file}, "--replace: a letter or digit runs on"},
           {{"--find", "x", "--folder", folder / "none"}, "no such folder"},
           {{"--find", "x", "--folder", file}, "is not a folder"},
           {{"--find", "x", "--folder", ""}, "--folder needs a folder name"},
           {{"--undo", "--find", "x"}, "--undo cannot go with --find"},
           {{"--history", file}, "--history cannot go with FILE"},
           {{"--undo", "--history"}, "--undo cannot go with --history"},
           {{"--find", "x", "--jobs", "0", file}, "--jobs needs a number of threads from 1 to 1024, not '0'"},
           {{"--find", "x", "--jobs=2x", file}, "not '2x'"},
           {{"--find", "x", "--jobs", "1025", file}, "not '1025'"},
           {{"--find", "x", "--color", "always", file}, "--color goes with --preview"},
           {{"--find", "x", "--preview", "--color", "red", file}, "--color needs auto, always or never, not 'red'"},
           {{"--undo", "--jobs", "2"}, "--undo cannot go with --jobs"},
           {{"--find", "x", "--folder", folder.path(), "--type", "Text"},
            "the types are \"All Files (*.*)\" (all), \"HTML Files (*.htm, *.html)\" (html), "
            "\"JavaScript Files (*.js)\" (js), \"Text Files (*.txt)\" (txt)"},
       }) {
    const ProgramRun run = runCli(arguments);
    EXPECT_EQ(std::tie(run.status, run.out), std::tuple(2, "")) << says;
    EXPECT_TRUE(run.err.starts_with("sorvane-cli: ") && run.err.find(says) != std::string::npos &&
                run.err.find("Usage:") != std::string::npos) << run.err;
  }
  EXPECT_EQ(readFile(file), "x\r\n");
}

// After the first, the help's worked examples, with the results the help promises.
TEST_F(Cli, APatternRunRewritesEachWholeWordMatchWithItsTemplate) {
  const std::string file = folder / "a.txt";
  for (const auto& [options, before, after, report] :
       std::vector<std::tuple<std::vector<std::string>, std::string, std::string, std::string>>{
           {{"-E", "-w", "--ignore-case", "--find", "(o)ld", "--replace", "\\U$1\\E-$0"}, "old Old bold\r\nolder",
            "O-old O-Old bold\r\nolder", "Made 2 replacements."},
           {{"-E", "--find", "(\\w+), (\\w+)", "--replace", "$2 $1"}, "Smith, John\r\nDoe, Jane",
            "John Smith\r\nJane Doe", "Made 2 replacements."},
           {{"-E", "--find", "(?<last>\\w+), (?<first>\\w+)", "--replace", "${first} ${last}"}, "Smith, John",
            "John Smith", "Made 1 replacements."},
           {{"-w", "--find", "count", "--replace", "total"}, "count = count + 1; recount(counter); Count",
            "total = total + 1; recount(counter); Count", "Made 2 replacements."},
           {{"-E", "--find", "<(/?\\w+)>", "--replace", "<\\U$1\\E>"}, "<b>bold</b>", "<B>bold</B>",
            "Made 2 replacements."},
       }) {
    writeFile(file, before);
    std::vector<std::string> arguments = options;
    arguments.push_back(file);
    const ProgramRun run = runCli(arguments);
    EXPECT_EQ(std::tuple(run.status, lastLine(run.out), run.err, readFile(file)), std::tuple(0, report, "", after))
        << before;
  }
}

TEST_F(Cli, HelpAndVersion) {
  const ProgramRun help = runCli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--stop-on-error", "--list", "--regex", "--word", "within a line", "--version", "(error N)",
                             "all, html, js, txt", "--no-undo", "--undo", "--history", "--jobs N", "--preview",
                             "--color WHEN", "~/.local/state/sorvane/runs"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  const ProgramRun version = runCli({"--version"});
  EXPECT_EQ(std::tie(version.status, version.out), std::tuple(0, "sorvane-cli 2.1.0\n"));
}

// Every path printed, here b's and the missing file's, has its control characters (C0 and C1)
// and its bytes that are not UTF-8 written as \xNN.
TEST_F(Cli, UndoTakesBackTheLastRunAndNamesWhatItLeavesAlone) {
  const std::string a = folder / "a.txt", b = folder / "b\x1B[2J\n\xFF.txt", c = folder / "c.txt";
  const std::string shownB = folder / "b\\x1B[2J\\x0A\\xFF.txt";
  for (const std::string& path : {a, b, c}) writeFile(path, "old old");
  ProgramRun undo = runCli({"--undo"});
  EXPECT_EQ(std::tie(undo.status, undo.out), std::tuple(1, "Nothing to undo.\n"));

  const ProgramRun run = runCli({"--find", "old", "--replace", "new", "--list", a, b, folder / "gone\xC2\x9B\r"});
  EXPECT_EQ(std::tie(run.status, run.out, run.err),
            std::tuple(1, a + ": 2\n" + shownB + ": 2\nMade 4 replacements.\n",
                       "sorvane-cli: " + folder / "gone\\x9B\\x0D: File not found (error 53)\n"));
  EXPECT_EQ(runCli({"--find", "old", "--replace", "new", "--no-undo", c}).status, 0);
  const ProgramRun history = runCli({"--history"});
  EXPECT_EQ(std::pair(history.status, history.out.substr(19)),
            std::pair(0, std::string("  sorvane-cli  \"old\" \u2192 \"new\"  2 files  4 replacements  not taken back\n")));

  const std::string title = "the run of " + history.out.substr(0, 19) + ", \"old\" \u2192 \"new\", 2 files.\n";
  undo = runCli({"--undo", "--dry-run"});
  EXPECT_EQ(std::tuple(undo.status, undo.out, readFile(a)),
            std::tuple(0, "Would take back " + title + "would restore " + shownB + "\nwould restore " + a +
                              "\nWould restore 2 files.\n", "new new"));

  writeFile(b, "edited");
  undo = runCli({"--undo"});
  const std::string runs = state / "sorvane/runs/";
  EXPECT_EQ(std::tie(undo.status, undo.out, undo.err),
            std::tuple(1, "Taking back " + title + "Restored 1 file. 1 left alone.\n", "sorvane-cli: " + shownB +
                              ": changed since the run; left alone; its original is kept as " + runs + namesIn(runs).back() + "/2\n"));
  EXPECT_EQ(readFile(a) + "|" + readFile(b) + "|" + readFile(c), "old old|edited|new new");
  EXPECT_EQ(runCli({"--undo"}).out, "Nothing to undo.\n");

  // A journal that cannot be written is told once, and each file it cannot take back named.
  const std::string notAFolder = folder / "state";
  writeFile(notAFolder, "");
  ::setenv("XDG_STATE_HOME", notAFolder.c_str(), 1);
  writeFile(c, "old");
  const ProgramRun unjournaled = runCli({"--find", "old", "--replace", "new", a, c});
  const std::string said = "sorvane-cli: undo journal: ";
  EXPECT_EQ(std::tuple(unjournaled.status, lastLine(unjournaled.out), unjournaled.err),
            std::tuple(0, "Made 3 replacements.", said + notAFolder + ": Not a directory; nothing more of this run is kept for undo\n" +
                       said + a + ": cannot be taken back (the journal failed)\n" + said + c +
                       ": cannot be taken back (the journal failed)\n"));
}

}  // namespace
}  // namespace sorvane::testing
