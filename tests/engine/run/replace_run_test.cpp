#include "engine/files/yielder.h"
#include "engine/run/batch_publisher.h"
#include "engine/run/file_types.h"
#include "engine/run/messages.h"
#include "engine/run/replace_command.h"
#include "engine/text/encoded_terms.h"
#include "scripted_host.h"
#include "system_calls.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <thread>
#include <tuple>
#include <utility>

namespace sorvane::testing {
namespace {

namespace fs = std::filesystem;
const std::string CR = "\r";

class RecordingJournal final : public UndoRecord {
 public:
  void runStarted(const SearchTerms&, std::function<void(const std::string&)>) override {}
  void givingTemporaryName(int, const std::string&) override {}
  int keepOriginal(const OriginalFile& original, const FileFingerprint&, const std::string&) override {
    record("keep " + original.name);
    // The journal keeps an original by a link, which sets its status-change time, as this does.
    ::fchmod(original.descriptor, original.status.st_mode & 07777);
    return 1;
  }
  void makeKeptDurable() override { record("durable"); }
  void recordPlaced(int, const timespec&) override {}
  void runEnded(std::int64_t, std::int64_t) override {}
};

int recordingFolderFlush(int fd) {
  record("flush folder");
  return ::fsync(fd);
}

// Records which files a run swaps in, in order, and can make chosen swaps fail.
std::vector<std::string> swapped;
std::pair<std::string, int> failingSwap;  // a target path whose swap fails, and its error

int recordingRename(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
  const std::string target = pathOf(toFolder) + "/" + to;
  if (failingSwap.first == target) {
    errno = failingSwap.second;
    return -1;
  }
  swapped.push_back(target);
  return recordedRename(fromFolder, from, toFolder, to, flags);
}

// Reads folders as readdir(3) does, but fails with EIO half-way through the folder "sub".
int entriesOfSub = 0;

dirent* failingHalfWayThroughSub(DIR* folder) {
  if (fs::path(pathOf(::dirfd(folder))).filename() == "sub" && ++entriesOfSub > 2) {
    errno = EIO;
    return nullptr;
  }
  return ::readdir(folder);
}

// Fails the first flush of a new content holding `failFlushOf`.
std::string failFlushOf;
std::atomic<bool> flushFailed{false};

int flakyDataFlush(int fd) {
  if (!failFlushOf.empty() && contentOf(fd).find(failFlushOf) != std::string::npos && !flushFailed.exchange(true)) {
    errno = EIO;
    return -1;
  }
  return ::fdatasync(fd);
}

bool isOpen(const std::string& path) {
  for (const auto& entry : fs::directory_iterator("/proc/self/fd"))
    if (std::error_code error; fs::read_symlink(entry.path(), error) == path) return true;
  return false;
}

class ReplaceRun : public ::testing::Test {
 protected:
  ReplaceRun() {
    host.find = "old";
    host.replace = "new";
  }

  // A run with small buffers, yielding at every chance with `yieldOften`; a preview's with `chosen`.
  void run(bool yieldOften = false, int jobs = 1, const RunRequest* chosen = nullptr) {
    events.clear();
    swapped.clear();
    flushFailed = false;
    host.messages.clear();
    host.calls.clear();
    host.unlistedFolders.clear();
    const RunCalls calls{
        .swap = {.flushData = &flakyDataFlush, .rename = &recordingRename, .flushFolder = &recordingFolderFlush},
        .readEntry = readEntry};
    const EngineOptions options{.bufferCapacity = 8,
                                .yieldInterval = yieldOften ? std::chrono::nanoseconds(0) : Yielder::kDefaultInterval,
                                .undoRecord = &journal, .jobs = jobs, .batch = {}, .calls = &calls};
    ReplaceCommand engine(host, options);
    chosen ? engine.replacePreviewed(*chosen) : engine.cmdReplace_Click();
    abandoned = engine.outcome().abandoned;
    for (const ShownMessage& message : host.messages) EXPECT_EQ(message.title, kApplicationTitle);
    // Failures planted for this run only.
    failingSwap = {};
    failFlushOf.clear();
  }

  std::string file(const std::string& name, const std::string& content) {
    const std::string path = folder / name;
    fs::create_directories(fs::path(path).parent_path());
    writeFile(path, content);
    return path;
  }

  std::vector<std::string> swappedNames() const {
    std::vector<std::string> names;
    for (const auto& path : swapped) names.push_back(fs::path(path).lexically_relative(folder.path()));
    return names;
  }

  TempFolder folder;
  ScriptedHost host;
  RecordingJournal journal;
  ReadEntryCall readEntry = &::readdir;
  bool abandoned = false;
};

// With nothing to run (an empty file list, or no folder, which would name the root of the disk)
// the run is refused and records no term. Otherwise the files are rewritten in list order, those
// without an occurrence left alone, and the report sums them. Grayed counts as unchecked. Terms
// join their lists unless an entry holds them exactly; an empty term joins only a list without a
// non-empty entry, and opens nothing.
TEST_F(ReplaceRun, FileRunRewritesInListOrderWithTheComparisonOfTheBoxAndRecordsItsTerms) {
  host.findList.items = {"foobar"};
  host.replaceList.items = {"bar"};
  for (const bool fileMode : {false, true}) {
    host.fileMode = fileMode;
    host.folderMode = !fileMode;
    run();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, fileMode ? "You must open at least one file in which to perform the replacement."
                                              : messages::kNoFolderChosen);
    EXPECT_EQ(host.messages[0].style, MessageStyle::Critical);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "enable"}));
    EXPECT_EQ(host.replaceList.items, std::vector<std::string>{"bar"});
  }
  // Listed again by a link, c.txt is read again after its first rewrite: nothing is left to replace.
  fs::create_symlink("c.txt", folder / "link.txt");
  using Case = std::tuple<CheckValue, const char*, CompareMode, const char*, std::vector<std::string>,
                          std::vector<std::string>>;
  for (const auto& [box, find, mode, report, findList, swappedFiles] : std::vector<Case>{
           {CheckValue::Grayed, "foo", CompareMode::Text, "Made 4 replacements.", {"foobar"}, {"c.txt", "a.txt"}},
           {CheckValue::Cleared, "foo", CompareMode::Text, "Made 4 replacements.", {"foobar"}, {"c.txt", "a.txt"}},
           {CheckValue::Checked, "FOO", CompareMode::Binary, "Made 1 replacements.", {"foobar", "FOO"}, {"c.txt"}},
           {CheckValue::Checked, "", CompareMode::Binary, "Made 0 replacements.", {"foobar", "FOO"}, {}}}) {
    host.files = {file("c.txt", "FOO"), file("a.txt", "foo Foo\r\nfoo"), file("b.txt", "nothing"),
                  folder / "link.txt", folder / "missing.txt"};
    host.caseSensitive = box;
    host.find = find;
    run();
    EXPECT_EQ(ReplaceCommand(host).requestFromWindow().terms.compare, mode) << find;
    // The missing file is opened, and shown, only for a term.
    ASSERT_EQ(host.messages.size(), *find ? 2u : 1u) << find;
    EXPECT_EQ(host.messages.back().text, report);
    EXPECT_EQ(host.findList.items, findList);
    EXPECT_EQ(swappedNames(), swappedFiles);
  }
  EXPECT_EQ(host.replaceList.items, (std::vector<std::string>{"bar", "new"}));
  ScriptedTermList list;
  for (const std::string term : {"", "", "foobar"}) ReplaceCommand::ListAddItem(list, term, CompareMode::Binary);
  ReplaceCommand::ListAddItem(list, "FOO", CompareMode::Text);
  EXPECT_EQ(list.items, (std::vector<std::string>{"", "", "foobar"}));
}

// The second of three files fails, in an ordinary run or in a preview's: shown once the file
// before it is in place; a file-system failure is skipped on Ignore, uncounted, tried again on
// Retry, its original durable first, and ends the run on Abort; any other failure stops the run.
// The folder is flushed either way, and when the run is stopped between renames; stopped while
// reading, the run drops its batch. A preview's Replace uses its own terms, rewrites a file only
// while it is as previewed, and only the occurrences kept.
TEST_F(ReplaceRun, EachFileIsPutInPlaceInTurnOrItsFailureShownAndAnswered) {
  struct Case {
    const char* what;
    std::optional<std::vector<std::int64_t>> dropped;  // a preview's run, without these occurrences in 2.txt
    std::function<void()> fail;  // done to 2.txt before the run
    std::vector<MessageAnswer> answers;
    std::vector<std::string> contents;  // of 1.txt, 2.txt and 3.txt; empty where there is none
    std::vector<std::pair<MessageStyle, std::string>> shown;
    std::string events;  // joined by ", "
    std::vector<int> jobs = {1, 3};
  };
  const std::string second = folder / "2.txt", secondText = "old OLD\r\nold";
  const auto gone = [&] { fs::remove(second); };
  // New bytes of the same size, and the modification time put back: only the status-change time tells.
  const auto edited = [&] { writeWithTimesOf(second, "x" + readFile(second).substr(1), second); };
  const auto swapFails = [&](int error) { return [&, error] { failingSwap = {second, error}; }; };
  const auto flushFails = [](const char* content) { return [content] { failFlushOf = content; }; };
  const auto failed = [&](int number, const char* description) {
    return std::pair{MessageStyle::AbortRetryIgnore,
                     messages::fileSystemFailure(second, {number, kApplicationTitle, description})};
  };
  const auto report = [](int made) { return std::pair{MessageStyle::Information, messages::report(made)}; };
  const auto ioError = failed(57, "Device I/O error");
  const auto changed = failed(75, "Path/File access error: changed since the preview");
  const std::pair notFound{MessageStyle::AbortRetryIgnore,
                           "The file '" + second + "' could not be opened because of the following error occured." +
                               CR + CR + "Error number:  53" + CR + "Error generated by: Sorvane" + CR +
                               "Error description: File not found" + CR + CR +
                               "Abort - Stop the find and replace process." + CR +
                               "Retry - Attempt to open the file again." + CR +
                               "Ignore - Skip this file and continue with the remaining files."};
  const std::string firstOnly = "keep 1.txt, durable, rename 1.txt, flush folder";
  const std::string third = "keep 3.txt, durable, rename 3.txt, flush folder", skipped = firstOnly + ", " + third;
  const std::string batch = "keep 1.txt, keep 2.txt, keep 3.txt, durable, rename 1.txt";
  const std::string flushAborted = batch + ", flush folder";
  const std::string allInPlace = batch + ", rename 2.txt, rename 3.txt, flush folder";
  const std::string flushRetried = batch + ", keep 2.txt, durable, rename 2.txt, rename 3.txt, flush folder";
  const std::vector<std::int64_t> allKept;
  const std::vector<Case> cases = {
      {"gone, ignored", {}, gone, {}, {"new 1", "", "new 3"}, {notFound, report(2)}, skipped},
      {"gone, aborted", {}, gone, {MessageAnswer::Abort}, {"new 1", "", "old 3"}, {notFound, report(1)}, firstOnly},
      {"gone, retried until back", {}, gone, {MessageAnswer::Retry, MessageAnswer::Retry},
       {"new 1", "new OLD\r\nnew", "new 3"}, {notFound, notFound, report(4)},
       "keep 1.txt, durable, rename 1.txt, keep 2.txt, durable, rename 2.txt, flush folder, " + third},
      {"swap across devices", {}, swapFails(EXDEV), {}, {"new 1", secondText, "new 3"},
       {failed(74, "Can't rename with different drive"), report(2)}, batch + ", rename 3.txt, flush folder"},
      {"swap out of memory", {}, swapFails(ENOMEM), {}, {"new 1", secondText, "old 3"},
       {{MessageStyle::Critical, "The find and replace operation could not be performed on '" + second +
                                     "' because of the following error occured." + CR + CR + "Error number:  7" +
                                     CR + "Error generated by: Sorvane" + CR + "Error description: Out of memory"},
        {MessageStyle::Information, "Operation stopped." + CR + CR + "Made 1 replacements."}, report(1)},
       flushAborted},
      {"flush, retried", {}, flushFails("new OLD"), {MessageAnswer::Retry}, {"new 1", "new OLD\r\nnew", "new 3"},
       {ioError, report(4)}, flushRetried},
      {"flush, aborted", {}, flushFails("new OLD"), {MessageAnswer::Abort}, {"new 1", secondText, "old 3"},
       {ioError, report(1)}, flushAborted},
      {"preview, all kept", allKept, nullptr, {}, {"new 1", "new new\r\nnew", "new 3"}, {report(5)}, allInPlace},
      {"preview, some dropped", std::vector<std::int64_t>{2, 0}, nullptr, {}, {"new 1", "old new\r\nold", "new 3"},
       {report(3)}, allInPlace},
      {"preview, all dropped", std::vector<std::int64_t>{1, 0, 2}, nullptr, {}, {"new 1", secondText, "new 3"},
       {report(2)}, "keep 1.txt, keep 3.txt, durable, rename 1.txt, rename 3.txt, flush folder"},
      {"preview, edited, retried", allKept, edited, {MessageAnswer::Retry}, {"new 1", "xld OLD\r\nold", "new 3"},
       {changed, changed, report(2)}, skipped},
      {"preview, deleted", allKept, gone, {}, {"new 1", "", "new 3"}, {notFound, report(2)}, skipped},
      {"preview, flush failed, retried", std::vector<std::int64_t>{0}, flushFails("old new"), {MessageAnswer::Retry},
       {"new 1", "old new\r\nnew", "new 3"}, {ioError, report(4)}, flushRetried},
      // The host goes away at a yield while 2.txt is open, or once a file is in place. Helpers read
      // ahead of the run's thread: only its own reading is sure to be caught.
      {"stopped while reading", {}, [&] { host.onYield = [&] { host.stop = host.stop || isOpen(second); }; }, {},
       {"old 1", secondText, "old 3"}, {}, "keep 1.txt", {1}},
      {"stopped between renames", {}, [&] { host.onYield = [&] { host.stop = host.stop || !swapped.empty(); }; },
       {}, {"new 1", secondText, "old 3"}, {}, flushAborted},
  };
  for (const auto& [what, dropped, fail, answers, contents, shown, expectedEvents, jobsToTry] : cases) {
    for (const int jobs : jobsToTry) {
      const std::string at = std::string(what) + ", " + std::to_string(jobs) + " jobs";
      PreviewedFiles previewed;
      host.files = {file("1.txt", "old 1"), file("2.txt", secondText), file("3.txt", "old 3")};
      for (const auto& path : host.files) previewed.files.push_back({path, FileFingerprint::of(statusOf(path)), {}});
      for (const std::int64_t index : dropped.value_or(allKept)) previewed.files[1].occurrences.drop(index);
      const RunRequest chosen{{"old", "new", CompareMode::Text}, std::move(previewed), false};
      // Past a tick of the file system's clock, so that any change sets a status-change time of its own.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      host.stop = false;
      host.onYield = nullptr;
      if (fail) fail();
      // In a preview's run the window's boxes say otherwise: the preview's terms rule.
      host.find = dropped ? "unused" : "old";
      host.findList.items.clear();
      host.answers = {answers.begin(), answers.end()};
      std::string atTheFirstDialog;
      host.onMessage = [&](const ShownMessage& message) {
        if (message.style != MessageStyle::Information && atTheFirstDialog.empty())
          atTheFirstDialog = readFile(folder / "1.txt") + ", " + readFile(folder / "3.txt");
        // Only a file gone is retried twice: it is back for the second try.
        if (answers.size() > 1 && host.messages.size() == 2) writeFile(second, secondText);
      };
      run(true, jobs, dropped ? &chosen : nullptr);
      EXPECT_EQ(atTheFirstDialog, shown.size() > 1 ? "new 1, old 3" : "") << at;
      EXPECT_EQ((std::vector{readFile(host.files[0]), readFile(second), readFile(host.files[2])}), contents) << at;
      std::vector<std::pair<MessageStyle, std::string>> actual;
      for (const ShownMessage& message : host.messages) actual.emplace_back(message.style, message.text);
      EXPECT_EQ(actual, shown) << at;
      std::string happened;
      for (const std::string& event : events) happened += (happened.empty() ? "" : ", ") + event;
      EXPECT_EQ(happened, expectedEvents) << at;
      // Going away, the host wants no report, and no widget is touched again.
      EXPECT_EQ(abandoned, shown.empty()) << at;
      EXPECT_EQ(host.calls, (shown.empty() ? std::vector<std::string>{"disable"}
                                           : std::vector<std::string>{"disable", "enable", "focus"})) << at;
      EXPECT_EQ(namesIn(folder.path()).size(), 3 - std::ranges::count(contents, "")) << at;
      // Only the window's own run records its terms.
      EXPECT_EQ(host.findList.items.size(), dropped ? 0u : 1u) << at;
    }
  }
}

// Holds each helper at its file's first write until the run's thread waits for the first file.
std::atomic<bool> gateOpen{false};

int gatedCreateUnnamed(int folder) {
  while (!gateOpen) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return createUnnamedFile(folder);
}

// The run's side of the batches: it never ends, and opens the gate as it first waits.
class GateOpeningRun final : public BatchHost {
 public:
  std::size_t handedIn = 0, handedInAtFirstWait = 0;
  void yield() override {
    if (!gateOpen) handedInAtFirstWait = handedIn;
    gateOpen = true;
  }
  bool ended() const override { return false; }
  void endedByHost() override {}
  void fileDone(const std::string&, std::int64_t) override {}
  bool retryAfter(const std::string&, const Failure&) override { return false; }
};

// Files per journal flush, and files handed to helpers before the first is awaited.
TEST_F(ReplaceRun, BatchSizeAndReadAheadFollowTheirOwnSettings) {
  for (const auto& [batchFiles, readAhead] : {std::pair<std::size_t, std::size_t>{2, 5}, {5, 2}}) {
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) paths.push_back(file(std::to_string(i) + ".txt", "old"));
    events.clear();
    gateOpen = false;
    const RunCalls calls{.swap = {.createUnnamed = &gatedCreateUnnamed}};
    const EngineOptions options{.undoRecord = &journal, .jobs = 2, .readAhead = readAhead,
                                .batch = {.files = batchFiles}, .calls = &calls};
    EncodedTerms terms(SearchTerms{"old", "new", CompareMode::Binary});
    Yielder yielder([] { return true; });
    GateOpeningRun batchHost;
    BatchPublisher publisher(options, false, terms, yielder, batchHost);
    while (batchHost.handedIn < paths.size()) publisher.add(FileToRewrite::named(paths[batchHost.handedIn++]));
    publisher.publishAll();
    EXPECT_EQ(batchHost.handedInAtFirstWait, readAhead + 1) << batchFiles << " files a batch";
    EXPECT_EQ(std::count(events.begin(), events.end(), "durable"), static_cast<long>(paths.size() / batchFiles));
  }
}

class FolderRun : public ReplaceRun {
 protected:
  FolderRun() {
    host.fileMode = false;
    host.folderMode = true;
    host.folder = folder.path();
    host.recursive = CheckValue::Checked;
  }

  void makeTree() {
    for (const char* name : {"*a", "*a.txt", "b.txt", "A.txt", "page.htm", "page.html", "script.js", "noext",
                             ".hidden.txt", "sub/z.txt", "sub/deeper/y.txt", "Other/x.txt", ".git/config", ".hg/store",
                             ".svn/entries", "notes.txt/inner.txt", ".sorvane-Ab3xY9.tmp"})
      file(name, "old");
  }
};

// Files before folders, in name order, without version-control records and temporary files. Once
// Other/x.txt fails as it is read or as it is renamed and the user aborts, no file after it is read.
TEST_F(FolderRun, WalksTheFilesOfItsTypeBeforeTheFoldersInNameOrder) {
  // A star in a name is an ordinary character, never a wildcard of the pattern.
  const std::vector<std::string> all = {"*a", "*a.txt", ".hidden.txt", "A.txt", "b.txt", "noext", "page.htm",
                                        "page.html", "script.js", "notes.txt/inner.txt", "Other/x.txt", "sub/z.txt",
                                        "sub/deeper/y.txt"};
  // Each: the type, the box, what is swapped, the folder under the test's, what fails.
  const std::vector<std::tuple<std::string, CheckValue, std::vector<std::string>, std::string, std::string>> cases = {
      {kFileTypes[0].caption, CheckValue::Checked, all, "", ""},
      {kFileTypes[1].caption, CheckValue::Grayed, {"page.htm", "page.html"}, "", ""},
      {kFileTypes[3].caption, CheckValue::Cleared, {"*a.txt", ".hidden.txt", "A.txt", "b.txt"}, "", ""},
      {"Text files (*.txt)", CheckValue::Checked, {}, "", ""},
      {kFileTypes[0].caption, CheckValue::Checked, {}, "no such folder", ""},
      {kFileTypes[0].caption, CheckValue::Checked, {all.begin(), all.begin() + 10}, "", "rename"},
      {kFileTypes[0].caption, CheckValue::Checked, {all.begin(), all.begin() + 10}, "", "read"},
  };
  host.answers = {MessageAnswer::Abort, MessageAnswer::Abort};
  for (const auto& [type, recursive, expected, under, fails] : cases) {
    makeTree();
    host.fileType = type;
    host.recursive = recursive;
    host.folder = under.empty() ? folder.path() : folder / under;
    if (fails == "rename") failingSwap = {folder / "Other/x.txt", EXDEV};
    if (fails == "read") ::chmod((folder / "Other/x.txt").c_str(), 0444);
    run();
    EXPECT_EQ(swappedNames(), expected) << type << fails;
    // Failing as renamed, the file is among a batch all of which was read.
    EXPECT_EQ(std::ranges::count_if(events, [](const std::string& e) { return e.starts_with("keep "); }),
              fails == "rename" ? std::ssize(all) : std::ssize(expected)) << type << fails;
    EXPECT_EQ(host.messages.back().text, "Made " + std::to_string(expected.size()) + " replacements.");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "refresh", "enable", "focus"}));
  }
  for (const char* record : {".git/config", ".hg/store", ".svn/entries"}) EXPECT_EQ(readFile(folder / record), "old");
}

// Files gone or made folders after the listing are reported and skipped; a folder removed, made
// a link outside, or failing half-way through its listing is passed over and told to the host.
TEST_F(FolderRun, WhatChangesOrFailsAfterTheListingIsReportedAndPassedOver) {
  const TempFolder outside;
  writeFile(outside / "z.txt", "old");
  for (const std::string how : {"removed", "read half-way", "linked outside"}) {
    fs::remove_all(folder / "A.txt");
    makeTree();
    const bool halfWay = how == "read half-way", removed = how == "removed";
    readEntry = halfWay ? &failingHalfWayThroughSub : &::readdir;
    entriesOfSub = 0;
    host.onYield = [&, changed = false]() mutable {  // between files, after the folder was listed
      if (halfWay || std::exchange(changed, true)) return;
      fs::remove_all(folder / "sub");
      if (how == "linked outside") fs::create_directory_symlink(outside.path(), folder / "sub");
      if (!removed) return;
      fs::remove(folder / "b.txt");
      fs::remove(folder / "A.txt");
      fs::create_directory(folder / "A.txt");
    };
    run(true);
    EXPECT_EQ(host.unlistedFolders, std::vector<std::string>{folder / (halfWay ? "sub (57)" : "sub (76)")}) << how;
    ASSERT_EQ(host.messages.size(), removed ? 3u : 1u) << how;
    for (const auto& [i, name, number] : {std::tuple{0, "A.txt", "75"}, {1, "b.txt", "53"}}) {
      if (!removed) break;
      EXPECT_NE(host.messages[i].text.find("'" + folder / name + "'"), std::string::npos);
      EXPECT_NE(host.messages[i].text.find(std::string("Error number:  ") + number), std::string::npos);
    }
    EXPECT_EQ(host.messages.back().text, removed ? "Made 9 replacements." : "Made 11 replacements.") << how;
    EXPECT_EQ(readFile(outside / "z.txt"), "old");
  }
}

TEST_F(FolderRun, TreeDeeperThanAPathMayBeLongIsWalkedToTheBottom) {
  // Twenty nested folders of 250-byte names: a path longer than any may be.
  const fs::path start = fs::current_path();
  std::string deepPath = folder.path();
  fs::current_path(folder.path());
  for (char level = 'a'; level < 'a' + 20; ++level) {
    fs::create_directory(std::string(250, level));
    fs::current_path(std::string(250, level));
    deepPath += "/" + std::string(250, level);
  }
  writeFile("deep.txt", "old");
  run();
  EXPECT_EQ(host.messages.back().text, "Made 1 replacements.");
  EXPECT_EQ(readFile("deep.txt"), "new");
  fs::current_path(start);

  // Named by its whole path, the file cannot be reached: a failure like any other.
  host.fileMode = true;
  host.folderMode = false;
  host.files = {deepPath + "/deep.txt"};
  run();
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_NE(host.messages[0].text.find("Error number:  75"), std::string::npos);
}

}  // namespace
}  // namespace sorvane::testing
