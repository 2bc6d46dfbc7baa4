#include "engine/files/worker_pool.h"
#include "engine/files/yielder.h"
#include "engine/run/batch_publisher.h"
#include "engine/run/file_types.h"
#include "engine/run/messages.h"
#include "engine/run/replace_command.h"
#include "engine/text/encoded_terms.h"
#include "scripted_events.h"
#include "system_calls.h"
#include "temp_folder.h"
#include "utf16_file.h"

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
  void givingTemporaryName(int folder, const std::string& name) override {
    if (!takeFirstName.exchange(false)) return;
    // Another file takes the first name drawn, just before the new content would.
    ::close(::openat(folder, name.c_str(), O_WRONLY | O_CREAT, 0600));
    taken = name;
  }
  int keepOriginal(const OriginalFile& original, const FileFingerprint&, const std::string&) override {
    record("keep " + original.name);
    // The journal keeps an original by a link, which sets its status-change time, as this does.
    ::fchmod(original.descriptor, original.status.st_mode & 07777);
    return 1;
  }
  void makeKeptDurable() override { record("durable"); }
  void recordPlaced(int, const timespec&) override {}
  void runEnded(std::int64_t, std::int64_t) override {}
  std::atomic<bool> takeFirstName{false};
  std::string taken;
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

class ScriptedTermList final : public RecentTermList {
 public:
  std::vector<std::string> items;
  int ListCount() const override { return static_cast<int>(items.size()); }
  std::string List(int index) const override { return items.at(static_cast<std::size_t>(index)); }
  void AddItem(const std::string& item) override { items.push_back(item); }
};

// The window as the Replace command reads it, its state plain fields, its message boxes recorded.
class ScriptedWindow final : public ReplaceHost {
 public:
  bool fileMode = true;
  std::vector<std::string> files;
  std::string folder, find = "old", replace = "new", fileType = kFileTypes[0].caption;
  CheckValue caseSensitive = CheckValue::Checked, recursive = CheckValue::Cleared;
  CheckValue wholeWord = CheckValue::Cleared, regularExpression = CheckValue::Cleared;
  ScriptedTermList findList, replaceList;
  bool abandon = false;  // the window is going away
  std::vector<std::pair<MessageStyle, std::string>> messages;
  std::vector<std::string> calls;  // disable, enable, refresh, focus

  bool fileFrameVisible() const override { return fileMode; }
  bool folderFrameVisible() const override { return !fileMode; }
  int fileListCount() const override { return static_cast<int>(files.size()); }
  std::string fileListItem(int index) const override { return files.at(static_cast<std::size_t>(index)); }
  std::string folderCaption() const override { return folder; }
  std::string findText() const override { return find; }
  std::string replaceText() const override { return replace; }
  std::string fileTypeText() const override { return fileType; }
  CheckValue caseSensitiveValue() const override { return caseSensitive; }
  CheckValue wholeWordValue() const override { return wholeWord; }
  CheckValue regularExpressionValue() const override { return regularExpression; }
  CheckValue recursiveValue() const override { return recursive; }
  RecentTermList& findTerms() override { return findList; }
  RecentTermList& replaceTerms() override { return replaceList; }
  MessageAnswer showMessage(const std::string& text, MessageStyle style, const std::string& title) override {
    EXPECT_EQ(title, kApplicationTitle);
    messages.emplace_back(style, text);
    return MessageAnswer::Ignore;
  }
  RunCourse takeEvents() override { return abandon ? RunCourse::Abandon : RunCourse::GoOn; }
  void refreshFolderFiles() override { calls.push_back("refresh"); }
  void focusFind() override { calls.push_back("focus"); }
  void showTermsFault(const TermsFault& fault) override { calls.push_back(fault.inReplace ? "replace fault" : "find fault"); }
  void focusFileTypes() override { calls.push_back("focus types"); }
  void recordFileMasks(const std::string& masks) override { recentMasks.push_back(masks); }
  std::vector<std::string> recentMasks;
  void DisableControls() override { calls.push_back("disable"); }
  void EnableControls() override { calls.push_back("enable"); }
};

class ReplaceRun : public ::testing::Test {
 protected:
  // Small buffers, yielding at every chance with `yieldOften`.
  EngineOptions options(bool yieldOften = false, int jobs = 1) {
    calls = {.swap = {.createUnnamed = createUnnamed, .flushData = &flakyDataFlush, .rename = &recordingRename,
                      .flushFolder = &recordingFolderFlush},
             .readEntry = readEntry};
    events.clear();
    swapped.clear();
    flushFailed = false;
    return {.bufferCapacity = 8, .yieldInterval = yieldOften ? std::chrono::nanoseconds(0) : Yielder::kDefaultInterval,
            .undoRecord = &journal, .jobs = jobs, .batch = {}, .calls = &calls};
  }

  // Runs `request`; what the run told ends with "made N" unless its starter went away.
  void run(const RunRequest& request, bool yieldOften = false, int jobs = 1) {
    told.told.clear();
    const RunOutcome outcome = sorvane::ReplaceRun(options(yieldOften, jobs)).run(request, told);
    if (outcome.binaryPassedOver > 0) told.told.push_back("binary " + std::to_string(outcome.binaryPassedOver));
    if (!outcome.abandoned) told.told.push_back("made " + std::to_string(outcome.replacements));
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
  ScriptedEvents told;
  RecordingJournal journal;
  RunCalls calls;
  ReadEntryCall readEntry = &::readdir;
  CreateUnnamedCall createUnnamed = &createUnnamedFile;
};

// The window's run: with nothing to run (an empty file list, or no folder, which would name the
// root of the disk) it is refused and records no term. Otherwise the files are rewritten in list
// order, those without an occurrence left alone, and the report sums them. Grayed counts as
// unchecked. Terms join their lists unless an entry holds them exactly; an empty term joins only
// a list without a non-empty entry, and opens nothing. Each of its message boxes is checked here.
TEST_F(ReplaceRun, TheWindowsRunReadsTheWindowRewritesInListOrderReportsAndRecordsItsTerms) {
  ScriptedWindow host;
  const auto click = [&](bool yieldOften = false) {
    host.messages.clear(), host.calls.clear();
    ReplaceCommand(host, options(yieldOften)).cmdReplace_Click();
    failingSwap = {};
  };
  host.findList.items = {"foobar"}, host.replaceList.items = {"bar"};
  for (const bool fileMode : {false, true}) {
    host.fileMode = fileMode;
    click();
    EXPECT_EQ(host.messages, (std::vector<std::pair<MessageStyle, std::string>>{
                                 {MessageStyle::Critical, fileMode ? "You must open at least one file in which to "
                                                                     "perform the replacement."
                                                                   : messages::kNoFolderChosen}}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "enable"}));
    EXPECT_EQ(host.replaceList.items, std::vector<std::string>{"bar"});
  }
  // Listed again by a link, c.txt is read again after its first rewrite: nothing is left to replace.
  fs::create_symlink("c.txt", folder / "link.txt");
  const std::string missing = folder / "missing.txt";
  using Case = std::tuple<CheckValue, const char*, CompareMode, const char*, std::vector<std::string>,
                          std::vector<std::string>>;
  for (const auto& [box, find, mode, report, findList, swappedFiles] : std::vector<Case>{
           {CheckValue::Grayed, "foo", CompareMode::Text, "Made 4 replacements.", {"foobar"}, {"c.txt", "a.txt"}},
           {CheckValue::Cleared, "foo", CompareMode::Text, "Made 4 replacements.", {"foobar"}, {"c.txt", "a.txt"}},
           {CheckValue::Checked, "FOO", CompareMode::Binary, "Made 1 replacements.", {"foobar", "FOO"}, {"c.txt"}},
           {CheckValue::Checked, "", CompareMode::Binary, "Made 0 replacements.", {"foobar", "FOO"}, {}}}) {
    host.files = {file("c.txt", "FOO"), file("a.txt", "foo Foo\r\nfoo"), file("b.txt", "nothing"),
                  folder / "link.txt", missing};
    host.caseSensitive = box, host.find = find;
    click();
    EXPECT_EQ(ReplaceCommand(host).requestFromWindow().terms.compare, mode) << find;
    // The missing file is opened, and shown, only for a term.
    ASSERT_EQ(host.messages.size(), *find ? 2u : 1u) << find;
    EXPECT_EQ(host.messages.back(), std::pair(MessageStyle::Information, std::string(report)));
    EXPECT_EQ(std::tuple(host.findList.items, swappedNames(), host.calls),
              std::tuple(findList, swappedFiles, std::vector<std::string>{"disable", "enable", "focus"})) << find;
  }
  host.find = "FOO";
  click();
  EXPECT_EQ(host.messages[0],
            std::pair(MessageStyle::AbortRetryIgnore,
                      "The file '" + missing + "' could not be opened because of the following error occured." + CR +
                          CR + "Error number:  53" + CR + "Error generated by: Sorvane" + CR +
                          "Error description: File not found" + CR + CR + "Abort - Stop the find and replace process." +
                          CR + "Retry - Attempt to open the file again." + CR +
                          "Ignore - Skip this file and continue with the remaining files."));
  EXPECT_EQ(host.replaceList.items, (std::vector<std::string>{"bar", "new"}));
  ScriptedTermList list;
  for (const std::string term : {"", "", "foobar"}) ReplaceCommand::ListAddItem(list, term, CompareMode::Binary);
  ReplaceCommand::ListAddItem(list, "FOO", CompareMode::Text);
  EXPECT_EQ(list.items, (std::vector<std::string>{"", "", "foobar"}));

  // A failure outside the file system stops the run, and says so.
  writeFile(folder / "c.txt", "FOO");
  failingSwap = {folder / "c.txt", ENOMEM};
  click();
  EXPECT_EQ(host.messages,
            (std::vector<std::pair<MessageStyle, std::string>>{
                {MessageStyle::Critical, "The find and replace operation could not be performed on '" + folder /
                                             "c.txt' because of the following error occured." + CR + CR +
                                             "Error number:  7" + CR + "Error generated by: Sorvane" + CR +
                                             "Error description: Out of memory"},
                {MessageStyle::Information, "Operation stopped." + CR + CR + "Made 0 replacements."},
                {MessageStyle::Information, "Made 0 replacements."}}));
  // A preview's Replace runs the preview's request, not the window's, and records no term;
  // going away, the window wants no report, and no widget is touched again.
  writeFile(folder / "c.txt", "xyz");
  for (const bool abandon : {false, true}) {
    host.abandon = abandon, host.messages.clear(), host.calls.clear();
    ReplaceCommand(host, options(true))
        .replacePreviewed({{"xyz", "bar", CompareMode::Binary}, FileList::of({folder / "c.txt"})});
    EXPECT_EQ(host.calls, (abandon ? std::vector<std::string>{"disable"}
                                   : std::vector<std::string>{"disable", "enable", "focus"}));
    EXPECT_EQ(host.messages.size(), abandon ? 0u : 1u);
  }
  EXPECT_EQ(readFile(folder / "c.txt"), "bar");
  EXPECT_EQ(host.findList.items, (std::vector<std::string>{"foobar", "FOO"}));

  // A folder run takes any other text than a listed type as masks over all files, Grayed as unchecked, records
  // the masks once it runs, and refreshes the window's file list. An empty box takes no file; masks the run
  // cannot use are refused before anything else, with the focus on the box.
  host.abandon = host.fileMode = false, host.folder = folder.path(), host.recursive = CheckValue::Grayed;
  for (const auto& [typed, pattern] : {std::pair{"", ""}, {"*.TXT; !sub/", "*.*"}}) {
    host.fileType = typed;
    const sorvane::FolderRun read = std::get<sorvane::FolderRun>(ReplaceCommand(host).requestFromWindow().over);
    EXPECT_EQ(std::tuple(read.path, read.namePattern, read.recursive), std::tuple(folder.path(), pattern, false));
    EXPECT_EQ(std::tuple(read.masks.takesFile("a.txt"), read.masks.takesFile("a.js"), read.masks.entersFolder("sub")),
              std::tuple(true, !*typed, !*typed)) << typed;
  }
  host.fileType = "*.txt;; *.js";
  const auto termsBefore = host.findList.items;
  click();
  EXPECT_EQ(std::tuple(host.messages.size(), host.calls, host.findList.items, host.recentMasks),
            std::tuple(1u, std::vector<std::string>{"disable", "focus types", "enable"}, termsBefore, std::vector<std::string>{}));
  EXPECT_EQ(host.messages[0], std::pair(MessageStyle::Critical, std::string("The file masks cannot be used: there is an empty mask between two \";\".")));
  host.fileType = "*.TXT; !sub/";
  click();
  EXPECT_EQ(std::tuple(host.recentMasks, host.calls), std::tuple(std::vector<std::string>{"*.TXT; !sub/"},
                                                                std::vector<std::string>{"disable", "refresh", "enable", "focus"}));
}

// The second of three files fails, in an ordinary run or in a preview's: told once the file
// before it is in place; a file-system failure is skipped on Ignore, uncounted, tried again on
// Retry, its original durable first, and ends the run on Abort; any other failure stops the run.
// The folder is flushed either way, and when the run is stopped between renames; stopped while
// reading, the run drops its batch. A preview's Replace rewrites a file only while it is as
// previewed, and only the occurrences kept.
TEST_F(ReplaceRun, EachFileIsPutInPlaceInTurnOrItsFailureToldAndAnswered) {
  struct Case {
    const char* what;
    std::optional<std::vector<std::int64_t>> dropped;  // a preview's run, without these occurrences in 2.txt
    std::function<void()> fail;  // done to 2.txt before the run
    std::vector<MessageAnswer> answers;
    std::vector<std::string> contents;  // of 1.txt, 2.txt and 3.txt; empty where there is none
    std::vector<std::string> told;
    std::string events;  // joined by ", "
    std::vector<int> jobs = {1, 3};
  };
  const std::string second = folder / "2.txt", secondText = "old OLD\r\nold";
  const auto gone = [&] { fs::remove(second); };
  // New bytes of the same size, and the modification time put back: only the status-change time tells.
  const auto edited = [&] { writeWithTimesOf(second, "x" + readFile(second).substr(1), second); };
  const auto swapFails = [&](int error) { return [&, error] { failingSwap = {second, error}; }; };
  const auto flushFails = [](const char* content) { return [content] { failFlushOf = content; }; };
  const auto failed = [&](int number) { return second + " (" + std::to_string(number) + ")"; };
  const auto made = [](int replacements) { return "made " + std::to_string(replacements); };
  const std::string firstOnly = "keep 1.txt, durable, rename 1.txt, flush folder";
  const std::string third = "keep 3.txt, durable, rename 3.txt, flush folder", skipped = firstOnly + ", " + third;
  const std::string batch = "keep 1.txt, keep 2.txt, keep 3.txt, durable, rename 1.txt";
  const std::string flushAborted = batch + ", flush folder";
  const std::string allInPlace = batch + ", rename 2.txt, rename 3.txt, flush folder";
  const std::string flushRetried = batch + ", keep 2.txt, durable, rename 2.txt, rename 3.txt, flush folder";
  const std::vector<std::int64_t> allKept;
  const std::vector<Case> cases = {
      {"gone, ignored", {}, gone, {}, {"new 1", "", "new 3"}, {failed(53), made(2)}, skipped},
      {"gone, aborted", {}, gone, {MessageAnswer::Abort}, {"new 1", "", "old 3"}, {failed(53), made(1)}, firstOnly},
      {"gone, retried until back", {}, gone, {MessageAnswer::Retry, MessageAnswer::Retry},
       {"new 1", "new OLD\r\nnew", "new 3"}, {failed(53), failed(53), made(4)},
       "keep 1.txt, durable, rename 1.txt, keep 2.txt, durable, rename 2.txt, flush folder, " + third},
      {"swap across devices", {}, swapFails(EXDEV), {}, {"new 1", secondText, "new 3"}, {failed(74), made(2)},
       batch + ", rename 3.txt, flush folder"},
      {"swap out of memory", {}, swapFails(ENOMEM), {}, {"new 1", secondText, "old 3"},
       {failed(7), "stopped after 1", made(1)}, flushAborted},
      {"flush, retried", {}, flushFails("new OLD"), {MessageAnswer::Retry}, {"new 1", "new OLD\r\nnew", "new 3"},
       {failed(57), made(4)}, flushRetried},
      {"flush, aborted", {}, flushFails("new OLD"), {MessageAnswer::Abort}, {"new 1", secondText, "old 3"},
       {failed(57), made(1)}, flushAborted},
      // Without unnamed files, where the first temporary name drawn is taken by another file.
      {"first name taken", {},
       [&] { createUnnamed = failing<EOPNOTSUPP, CreateUnnamedCall>, journal.takeFirstName = true; }, {},
       {"new 1", "new OLD\r\nnew", "new 3"}, {made(4)}, allInPlace},
      {"preview, all kept", allKept, nullptr, {}, {"new 1", "new new\r\nnew", "new 3"}, {made(5)}, allInPlace},
      {"preview, some dropped", std::vector<std::int64_t>{2, 0}, nullptr, {}, {"new 1", "old new\r\nold", "new 3"},
       {made(3)}, allInPlace},
      {"preview, all dropped", std::vector<std::int64_t>{1, 0, 2}, nullptr, {}, {"new 1", secondText, "new 3"},
       {made(2)}, "keep 1.txt, keep 3.txt, durable, rename 1.txt, rename 3.txt, flush folder"},
      {"preview, edited, retried", allKept, edited, {MessageAnswer::Retry}, {"new 1", "xld OLD\r\nold", "new 3"},
       {failed(75), failed(75), made(2)}, skipped},
      {"preview, deleted", allKept, gone, {}, {"new 1", "", "new 3"}, {failed(53), made(2)}, skipped},
      {"preview, flush failed, retried", std::vector<std::int64_t>{0}, flushFails("old new"), {MessageAnswer::Retry},
       {"new 1", "old new\r\nnew", "new 3"}, {failed(57), made(4)}, flushRetried},
      // Whoever started the run goes away at a yield while 2.txt is open, or once a file is in
      // place. Helpers read ahead of the run's thread: only its own reading is sure to be caught.
      {"stopped while reading", {}, [&] { told.onYield = [&] { told.abandon = told.abandon || isOpen(second); }; }, {},
       {"old 1", secondText, "old 3"}, {}, "keep 1.txt", {1}},
      {"stopped between renames", {},
       [&] { told.onYield = [&] { told.abandon = told.abandon || !swapped.empty(); }; }, {},
       {"new 1", secondText, "old 3"}, {}, flushAborted},
  };
  for (const auto& [what, dropped, fail, answers, contents, expectedTold, expectedEvents, jobsToTry] : cases) {
    for (const int jobs : jobsToTry) {
      const std::string at = std::string(what) + ", " + std::to_string(jobs) + " jobs";
      PreviewedFiles previewed;
      const std::vector<std::string> files = {file("1.txt", "old 1"), file("2.txt", secondText), file("3.txt", "old 3")};
      for (const auto& path : files) previewed.files.push_back({path, FileFingerprint::of(statusOf(path)), {}});
      for (const std::int64_t index : dropped.value_or(allKept)) previewed.files[1].occurrences.drop(index);
      // Past a tick of the file system's clock, so that any change sets a status-change time of its own.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      told.abandon = false, told.onYield = nullptr, createUnnamed = &createUnnamedFile, journal.taken.clear();
      if (fail) fail();
      told.answers = {answers.begin(), answers.end()};
      std::string atTheFirstFailure;
      told.onFailure = [&] {
        if (atTheFirstFailure.empty()) atTheFirstFailure = readFile(folder / "1.txt") + ", " + readFile(folder / "3.txt");
        // Only a file gone is retried twice: it is back for the second try.
        if (answers.size() > 1 && told.told.size() == 2) writeFile(second, secondText);
      };
      run(dropped ? RunRequest{{"old", "new", CompareMode::Text}, std::move(previewed)}
                  : RunRequest{{"old", "new", CompareMode::Binary}, FileList::of(files)},
          true, jobs);
      EXPECT_EQ(std::tuple(atTheFirstFailure, told.told), std::tuple(expectedTold.size() > 1 ? "new 1, old 3" : "", expectedTold)) << at;
      EXPECT_EQ((std::vector{readFile(files[0]), readFile(second), readFile(files[2])}), contents) << at;
      std::string happened;
      for (const std::string& event : events) happened += (happened.empty() ? "" : ", ") + event;
      EXPECT_EQ(happened, expectedEvents) << at;
      if (!journal.taken.empty()) fs::remove(folder / journal.taken);
      EXPECT_EQ(namesIn(folder.path()).size(), 3 - std::ranges::count(contents, "")) << at;
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

// Files per journal flush, and files handed to helpers before the first is awaited; a pool runs
// every task, in the order they were handed in.
TEST_F(ReplaceRun, BatchSizeAndReadAheadFollowTheirOwnSettingsAndEveryTaskRunsInTurn) {
  std::string ran;
  {
    WorkerPool pool(1);
    pool.run([] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); });  // the rest queue up
    for (const char task : std::string("abcdefghijklmnop")) pool.run([&ran, task] { ran += task; });
  }
  ASSERT_EQ(ran, "abcdefghijklmnop") << "a lost task would leave a run waiting for ever";
  for (const auto& [batchFiles, readAhead] : {std::pair<std::size_t, std::size_t>{2, 5}, {5, 2}}) {
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) paths.push_back(file(std::to_string(i) + ".txt", "old"));
    events.clear(), gateOpen = false;
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
  void makeTree() {
    for (const char* name : {"*a", "*a.txt", "b.txt", "A.txt", "page.htm", "page.html", "script.js", "noext",
                             ".hidden.txt", "sub/z.txt", "sub/deeper/y.txt", "Other/x.txt", ".git/config", ".hg/store",
                             ".svn/entries", "notes.txt/inner.txt", ".sorvane-Ab3xY9.tmp"})
      file(name, "old");
  }
  RunRequest over(std::string path, std::string pattern = "*.*", bool recursive = true, std::string masks = "",
                  bool binaryAsText = false) {
    return {{"old", "new", CompareMode::Binary},
            sorvane::FolderRun{std::move(path), std::move(pattern), recursive,
                               std::get<FileMasks>(FileMasks::parse(masks)), binaryAsText}};
  }
};

// Files before folders, in name order, without version-control records, temporary files and what
// the masks leave out at any depth; a file must match both the type and the masks. Once
// Other/x.txt fails as it is read or as it is renamed and the user aborts, no file after it is read.
TEST_F(FolderRun, WalksTheFilesOfItsTypeBeforeTheFoldersInNameOrder) {
  // A star in a name is an ordinary character, never a wildcard of the pattern.
  const std::vector<std::string> all = {"*a", "*a.txt", ".hidden.txt", "A.txt", "b.txt", "noext", "page.htm",
                                        "page.html", "script.js", "notes.txt/inner.txt", "Other/x.txt", "sub/z.txt",
                                        "sub/deeper/y.txt"};
  struct Case {
    std::string pattern;
    bool recursive;
    std::vector<std::string> expected;
    std::string under = "", fails = "", masks = "";  // the folder under the test's, what fails
  };
  const std::vector<Case> cases = {
      {"*.*", true, all, "", ""},
      {"*.htm*", false, {"page.htm", "page.html"}, "", ""},
      {"*.txt", false, {"*a.txt", ".hidden.txt", "A.txt", "b.txt"}, "", ""},
      {"", true, {}, "", ""},
      {"*.*", true, {}, "no such folder", ""},
      {"*.*", true, {all.begin(), all.begin() + 10}, "", "rename"},
      {"*.*", true, {all.begin(), all.begin() + 10}, "", "read"},
      {"*.*", true, {"*a.txt", "b.txt", "notes.txt/inner.txt", "sub/z.txt"}, "", "",
       "*.TXT; !.HID*; !a.*; !deeper/; !other/"},
      {"*.htm*", true, {"page.htm"}, "", "", "!*.html"},
      {"*.*", false, {"*a", "*a.txt", ".hidden.txt", "A.txt", "b.txt", "noext", "script.js"}, "", "", "*.*; !*.htm*"},
  };
  for (const auto& [pattern, recursive, expected, under, fails, masks] : cases) {
    makeTree();
    told.answers = {MessageAnswer::Abort};
    if (fails == "rename") failingSwap = {folder / "Other/x.txt", EXDEV};
    if (fails == "read") ::chmod((folder / "Other/x.txt").c_str(), 0444);
    run(over(under.empty() ? folder.path() : folder / under, pattern, recursive, masks));
    EXPECT_EQ(swappedNames(), expected) << pattern << fails;
    // Failing as renamed, the file is among a batch all of which was read.
    EXPECT_EQ(std::ranges::count_if(events, [](const std::string& e) { return e.starts_with("keep "); }),
              fails == "rename" ? std::ssize(all) : std::ssize(expected)) << pattern << fails << masks;
    EXPECT_EQ(told.told.back(), "made " + std::to_string(expected.size()));
  }
  for (const char* record : {".git/config", ".hg/store", ".svn/entries"}) EXPECT_EQ(readFile(folder / record), "old");
  // A mask text the run cannot use is refused with its mask named.
  for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
           {"*.cpp;; *.h", "The file masks cannot be used: there is an empty mask between two \";\"."},
           {"*.cpp; ! ", "The file mask \"!\" cannot be used: \"!\" needs a name after it."},
           {"src/*.cpp", "The file mask \"src/*.cpp\" cannot be used: \"/\" may only end a mask."}})
    EXPECT_EQ(std::get<MaskFault>(FileMasks::parse(text)).message(), message);
}

// Files gone or made folders after the listing are reported and skipped; a folder removed, made
// a link outside, or failing half-way through its listing is passed over and told.
TEST_F(FolderRun, WhatChangesOrFailsAfterTheListingIsReportedAndPassedOver) {
  const TempFolder outside;
  writeFile(outside / "z.txt", "old");
  for (const std::string how : {"removed", "read half-way", "linked outside"}) {
    fs::remove_all(folder / "A.txt");
    makeTree();
    const bool halfWay = how == "read half-way", removed = how == "removed";
    readEntry = halfWay ? &failingHalfWayThroughSub : &::readdir;
    entriesOfSub = 0;
    told.onYield = [&, changed = false]() mutable {  // between files, after the folder was listed
      if (halfWay || std::exchange(changed, true)) return;
      fs::remove_all(folder / "sub");
      if (how == "linked outside") fs::create_directory_symlink(outside.path(), folder / "sub");
      if (!removed) return;
      fs::remove(folder / "b.txt");
      fs::remove(folder / "A.txt");
      fs::create_directory(folder / "A.txt");
    };
    run(over(folder.path()), true);
    const std::string unlisted = "folder " + folder / (halfWay ? "sub (57)" : "sub (76)");
    EXPECT_EQ(told.told, (removed ? std::vector<std::string>{folder / "A.txt (75)", folder / "b.txt (53)", unlisted,
                                                             "made 9"}
                                  : std::vector<std::string>{unlisted, "made 11"})) << how;
    EXPECT_EQ(readFile(outside / "z.txt"), "old");
  }
}

// A walk passes over a file with a NUL in the first block it reads (8 bytes here), and counts it,
// unless told to take it as text; a UTF-16 file is text, and a file named by the user is done.
TEST_F(FolderRun, AWalkPassesOverAFileThatLooksBinaryInItsFirstBlock) {
  const std::string binary("old 12.\0old", 11);  // a NUL as the block's last byte
  for (const int jobs : {1, 3}) {
    file("edge.bin", binary);
    file("past.bin", std::string("old 123.\0old", 12));  // a NUL just past it: text
    file("u16.txt", utf16File(u"old", false));
    run(over(folder.path()), false, jobs);
    EXPECT_EQ(std::tuple(told.told, swappedNames()), std::tuple(std::vector<std::string>{"binary 1", "made 3"},
                                                                std::vector<std::string>{"past.bin", "u16.txt"}));
  }
  run({{"old", "new", CompareMode::Binary}, FileList::of({folder / "edge.bin"})});
  EXPECT_EQ(readFile(folder / "edge.bin"), std::string("new 12.\0new", 11));
  file("edge.bin", binary);
  run(over(folder.path(), "*.bin", true, "", true));
  EXPECT_EQ(told.told, std::vector<std::string>{"made 2"});
}

}  // namespace
}  // namespace sorvane::testing
