#include "engine/files/yielder.h"
#include "engine/run/batch_publisher.h"
#include "engine/run/file_types.h"
#include "engine/run/messages.h"
#include "engine/run/replace_run.h"
#include "engine/text/encoded_terms.h"
#include "scripted_host.h"
#include "system_calls.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>

namespace sorvane::testing {
namespace {

namespace fs = std::filesystem;
const std::string CR = "\r";

// "keep NAME", "durable", "rename NAME", "flush folder", in order; guarded for helper threads.
std::mutex eventsMutex;
std::vector<std::string> events;

void record(const std::string& event) {
  const std::lock_guard lock(eventsMutex);
  events.push_back(event);
}

class RecordingJournal final : public RunJournal {
 public:
  void runStarted(const std::string&, const std::string&, CompareMode) override {}
  int keepOriginal(const OriginalFile& original, const FileFingerprint&) override {
    record("keep " + original.name);
    // The journal keeps an original by a link, which sets its status-change time, as this does.
    ::fchmod(original.descriptor, original.status.st_mode & 07777);
    return 1;
  }
  void makeKeptDurable() override { record("durable"); }
  void putInPlace(int, const timespec&) override {}
  void runEnded(std::int64_t, std::int64_t) override {}
};

std::int64_t keptFiles() {
  return std::count_if(events.begin(), events.end(), [](const std::string& e) { return e.starts_with("keep "); });
}

int recordingFolderFlush(int fd) {
  record("flush folder");
  return ::fsync(fd);
}

// Records which files a run swaps in, in order, and can make chosen swaps fail.
std::vector<std::string> swapped;
std::string failSwapOf;  // a target path whose swap fails
int failSwapErrno = EXDEV;

int recordingRename(int fromFolder, const char* from, int toFolder, const char* to) {
  const std::string target = pathOf(toFolder) + "/" + to;
  if (failSwapOf == target) {
    errno = failSwapErrno;
    return -1;
  }
  swapped.push_back(fs::path(target).lexically_relative(fs::temp_directory_path()).string());
  record(std::string("rename ") + to);
  return ::renameat(fromFolder, from, toFolder, to);
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

// Fails the flush of a new content holding `failFlushOf`, `failingFlushes` times.
std::string failFlushOf;
std::atomic<int> failingFlushes{0};

int flakyDataFlush(int fd) {
  if (failingFlushes > 0 && readFile("/proc/self/fd/" + std::to_string(fd)).find(failFlushOf) != std::string::npos) {
    --failingFlushes;
    errno = EIO;
    return -1;
  }
  return ::fdatasync(fd);
}

// True while the process holds the file open.
bool isOpen(const std::string& path) {
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (fs::read_symlink(entry.path(), error) == path) return true;
  }
  return false;
}

class ReplaceRun : public ::testing::Test {
 protected:
  void SetUp() override {
    failSwapOf.clear();
    failingFlushes = 0;
    failSwapErrno = EXDEV;
    host.find = "old";
    host.replace = "new";
  }

  // A run with small buffers, yielding at every chance with `yieldOften`; a preview's with `chosen`.
  void run(bool yieldOften = false, int jobs = 1, const ChosenRun* chosen = nullptr) {
    events.clear();
    swapped.clear();
    host.messages.clear();
    host.calls.clear();
    host.unlistedFolders.clear();
    const EngineOptions options{
        .bufferCapacity = 8,
        .yieldInterval = yieldOften ? std::chrono::nanoseconds(0) : Yielder::kDefaultInterval,
        .swap = {.flushData = &flakyDataFlush, .rename = &recordingRename, .flushFolder = &recordingFolderFlush},
        .readEntry = readEntry, .journal = &journal, .jobs = jobs, .batch = {}};
    ReplaceEngine engine(host, options);
    chosen ? engine.replaceChosen(*chosen) : engine.cmdReplace_Click();
    compareMode = engine.compareMode();
    abandoned = engine.abandoned();
  }

  std::string file(const std::string& name, const std::string& content) {
    const std::string path = folder / name;
    fs::create_directories(fs::path(path).parent_path());
    writeFile(path, content);
    return path;
  }

  // Swapped files relative to the test folder.
  std::vector<std::string> swappedNames() const {
    std::vector<std::string> names;
    const std::string prefix = fs::path(folder.path()).filename().string() + "/";
    for (const auto& name : swapped) names.push_back(name.substr(prefix.size()));
    return names;
  }

  const ShownMessage& lastMessage() const { return host.messages.back(); }

  TempFolder folder;
  ScriptedHost host;
  RecordingJournal journal;
  ReadEntryCall readEntry = &::readdir;
  CompareMode compareMode = CompareMode::Binary;
  bool abandoned = false;
};

// An empty file list, or no folder chosen (which would name the root of the disk), runs nothing.
TEST_F(ReplaceRun, NothingToRunIsRefusedAndChangesNothing) {
  host.findList.items = {"x"};
  for (const bool fileMode : {true, false}) {
    host.fileMode = fileMode;
    host.folderMode = !fileMode;
    run();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(lastMessage().text, fileMode ? "You must open at least one file in which to perform the replacement."
                                           : messages::kNoFolderChosen);
    EXPECT_EQ(lastMessage().style, MessageStyle::Critical);
    EXPECT_EQ(lastMessage().title, kApplicationTitle);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "enable"}));
    EXPECT_EQ(host.findList.items, std::vector<std::string>{"x"});
    EXPECT_TRUE(host.replaceList.items.empty());
  }
}

TEST_F(ReplaceRun, FileRunRewritesInListOrderAndReportsTheSum) {
  host.files = {file("c.txt", "old"), file("a.txt", "old old\r\nold"), file("b.txt", "nothing")};
  run();
  EXPECT_EQ(swappedNames(), (std::vector<std::string>{"c.txt", "a.txt"}));
  EXPECT_EQ(readFile(folder / "a.txt"), "new new\r\nnew");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(lastMessage().text, "Made 4 replacements.");
  EXPECT_EQ(lastMessage().style, MessageStyle::Information);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "enable", "focus"}));

  // Listed twice, by name and by a link, a file is read again after its first rewrite.
  fs::create_symlink("c.txt", folder / "link.txt");
  host.files = {folder / "c.txt", folder / "link.txt"};
  host.find = "new";
  host.replace = "newer new";
  run();
  EXPECT_EQ(readFile(folder / "c.txt"), "newer newer newer new");
  EXPECT_EQ(lastMessage().text, "Made 3 replacements.");
}

TEST_F(ReplaceRun, TermsAreRecordedUnlessAnEntryContainsThem) {
  host.files = {file("a.txt", "")};
  host.findList.items = {"foobar"};
  host.replaceList.items = {"bar"};
  for (const char* term : {"foo", "foobar2", "FOO"}) {
    host.find = term;
    host.replace = "";
    run();
  }
  EXPECT_EQ(host.findList.items, (std::vector<std::string>{"foobar", "foobar2", "FOO"}));
  // An empty term joins only a list without a non-empty entry; ignoring case, "FOO" is in "foobar".
  EXPECT_EQ(host.replaceList.items, std::vector<std::string>{"bar"});
  ScriptedTermList list;
  for (const std::string term : {"", "", "foobar"}) ReplaceEngine::ListAddItem(list, term, CompareMode::Binary);
  ReplaceEngine::ListAddItem(list, "FOO", CompareMode::Text);
  EXPECT_EQ(list.items, (std::vector<std::string>{"", "", "foobar"}));
}

TEST_F(ReplaceRun, CaseSensitiveBoxChoosesTheComparison) {
  host.files = {file("a.txt", "OLD old")};
  host.caseSensitive = CheckValue::Grayed;  // counts as unchecked
  run();
  EXPECT_EQ(compareMode, CompareMode::Text);
  EXPECT_EQ(readFile(folder / "a.txt"), "new new");
  host.caseSensitive = CheckValue::Checked;
  host.find = "NEW";
  run();
  EXPECT_EQ(compareMode, CompareMode::Binary);
  EXPECT_EQ(lastMessage().text, "Made 0 replacements.");
  // An empty term touches nothing, and opens nothing.
  host.files.push_back(folder / "missing.txt");
  host.find = "";
  run();
  EXPECT_TRUE(swapped.empty());
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(lastMessage().text, "Made 0 replacements.");
}

TEST_F(ReplaceRun, MissingFileDialogAndItsThreeAnswers) {
  const std::string missing = folder / "gone.txt";
  host.files = {file("1.txt", "old"), missing, file("3.txt", "old")};

  host.answers = {MessageAnswer::Ignore};
  run();
  const std::string expected =
      "The file '" + missing + "' could not be opened because of the following error occured." + CR + CR +
      "Error number:  53" + CR + "Error generated by: Sorvane" + CR + "Error description: File not found" + CR + CR +
      "Abort - Stop the find and replace process." + CR + "Retry - Attempt to open the file again." + CR +
      "Ignore - Skip this file and continue with the remaining files.";
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, expected);
  EXPECT_EQ(host.messages[0].style, MessageStyle::AbortRetryIgnore);
  EXPECT_EQ(host.messages[0].title, kApplicationTitle);
  EXPECT_EQ(lastMessage().text, "Made 2 replacements.");

  // Abort: the third file is never opened, and the report still follows.
  for (const char* name : {"1.txt", "3.txt"}) file(name, "old");
  host.answers = {MessageAnswer::Abort};
  run();
  EXPECT_EQ(keptFiles(), 1);
  EXPECT_EQ(readFile(folder / "3.txt"), "old");
  EXPECT_EQ(lastMessage().text, "Made 1 replacements.");
  EXPECT_EQ(host.calls.back(), "focus");

  // Retry until the file is back: it is rewritten once and counted once.
  file("1.txt", "x");
  host.answers = {MessageAnswer::Retry, MessageAnswer::Retry, MessageAnswer::Retry};
  host.onMessage = [&](const ShownMessage&) {
    if (host.messages.size() == 2) writeFile(missing, "old old");
  };
  run();
  EXPECT_EQ(host.messages.size(), 3u);  // two dialogs, then the report
  EXPECT_EQ(readFile(missing), "new new");
  EXPECT_EQ(lastMessage().text, "Made 3 replacements.");
}

// A file-system failure is skipped on Ignore, uncounted; any other stops the run.
TEST_F(ReplaceRun, FailedSwapIsNotCountedAndAGeneralFailureStopsTheRun) {
  for (const int error : {EXDEV, ENOMEM}) {
    host.files = {file("1.txt", "old"), file("2.txt", "old old"), file("3.txt", "old")};
    failSwapOf = folder / "2.txt";
    failSwapErrno = error;
    host.answers = {MessageAnswer::Ignore};
    run();
    EXPECT_EQ(readFile(folder / "2.txt"), "old old");
    if (error == EXDEV) {
      EXPECT_NE(host.messages[0].text.find("Error number:  74"), std::string::npos);
      EXPECT_EQ(lastMessage().text, "Made 2 replacements.");
      continue;
    }
    ASSERT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[0].text,
              "The find and replace operation could not be performed on '" + failSwapOf + "' because of the following "
              "error occured." + CR + CR + "Error number:  7" + CR + "Error generated by: Sorvane" + CR +
              "Error description: Out of memory");
    EXPECT_EQ(host.messages[0].style, MessageStyle::Critical);
    EXPECT_EQ(host.messages[1].text, "Operation stopped." + CR + CR + "Made 1 replacements.");
    EXPECT_EQ(host.messages[1].style, MessageStyle::Information);
    EXPECT_EQ(host.messages[2].text, "Made 1 replacements.");
    EXPECT_EQ(readFile(folder / "3.txt"), "old");
  }
}

// A flush failure in a batch is shown once the files before it are in place; Retry puts the file
// in place, its original durable first; Abort leaves the rest. The folder is flushed either way.
TEST_F(ReplaceRun, FlushFailureIsShownForItsFileAfterTheFilesBeforeIt) {
  const std::vector<std::string> batch = {"keep 1.txt", "keep 2.txt", "keep 3.txt", "durable", "rename 1.txt"};
  std::vector<std::string> afterRetry = batch, afterAbort = batch;
  afterRetry.insert(afterRetry.end(), {"keep 2.txt", "durable", "rename 2.txt", "rename 3.txt", "flush folder"});
  afterAbort.push_back("flush folder");
  for (const int jobs : {1, 3}) {
    for (const MessageAnswer answer : {MessageAnswer::Retry, MessageAnswer::Abort}) {
      host.files = {file("1.txt", "old 1"), file("2.txt", "old 2"), file("3.txt", "old 3")};
      failFlushOf = "new 2";
      failingFlushes = 1;
      host.answers = {answer};
      std::vector<std::string> atTheDialog;
      host.onMessage = [&](const ShownMessage& shown) {
        if (shown.style == MessageStyle::AbortRetryIgnore)
          atTheDialog = {readFile(folder / "1.txt"), readFile(folder / "2.txt"), readFile(folder / "3.txt")};
      };
      run(false, jobs);
      ASSERT_EQ(host.messages.size(), 2u) << jobs << " jobs";
      EXPECT_NE(host.messages[0].text.find("'" + folder / "2.txt" + "'"), std::string::npos);
      EXPECT_NE(host.messages[0].text.find("Error number:  57"), std::string::npos);
      EXPECT_EQ(atTheDialog, (std::vector<std::string>{"new 1", "old 2", "old 3"})) << jobs << " jobs";
      const bool retried = answer == MessageAnswer::Retry;
      EXPECT_EQ(readFile(folder / "2.txt"), retried ? "new 2" : "old 2");
      EXPECT_EQ(readFile(folder / "3.txt"), retried ? "new 3" : "old 3");
      EXPECT_EQ(lastMessage().text, retried ? "Made 3 replacements." : "Made 1 replacements.");
      EXPECT_EQ(events, retried ? afterRetry : afterAbort) << jobs << " jobs";
      EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"1.txt", "2.txt", "3.txt"}));
    }
  }
}

// Stopped while reading, the run drops its batch; stopped between renames, it flushes the folder.
TEST_F(ReplaceRun, StopRequestEndsTheRunWithoutReportAndDropsTheBatch) {
  const std::string second = std::string(100, 'x') + "old";
  const std::vector<std::string> renamedFirst = {"keep 1.txt", "keep 2.txt", "durable", "rename 1.txt", "flush folder"};
  for (const bool betweenRenames : {false, true}) {
    host.files = {file("1.txt", "old"), file("2.txt", second)};
    host.stop = false;
    host.onYield = [&] { host.stop = host.stop || (betweenRenames ? !swapped.empty() : isOpen(folder / "2.txt")); };
    run(true);
    EXPECT_TRUE(abandoned);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.calls, std::vector<std::string>{"disable"});
    EXPECT_EQ(events, betweenRenames ? renamedFirst : std::vector<std::string>{"keep 1.txt"});
    EXPECT_EQ(readFile(folder / "1.txt"), betweenRenames ? "new" : "old");
    EXPECT_EQ(readFile(folder / "2.txt"), second);
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"1.txt", "2.txt"}));
  }
}

// New bytes of the same size, and the modification time put back: only the status-change time tells.
void editBehindItsBack(const std::string& path) { writeWithTimesOf(path, "x" + readFile(path).substr(1), path); }

// A preview's Replace uses its own terms, rewrites a file only while it is as previewed, and only
// the occurrences kept; with all kept, it is the ordinary run.
TEST_F(ReplaceRun, ChosenRunReplacesOnlyWhatThePreviewKept) {
  // Each: a.txt's occurrences dropped, what is done to it before the Replace, the answers, a.txt afterwards, the
  // failures shown for it, the events and the report.
  using Case = std::tuple<const char*, std::vector<std::int64_t>, std::function<void(const std::string&)>,
                          std::vector<MessageAnswer>, std::string, std::vector<Failure>, std::vector<std::string>,
                          std::string>;
  const Failure changed{75, kApplicationTitle, "Path/File access error: changed since the preview"};
  const std::vector<std::string> both = {"keep a.txt", "keep b.txt", "durable", "rename a.txt", "rename b.txt",
                                         "flush folder"};
  const std::vector<std::string> onlyB = {"keep b.txt", "durable", "rename b.txt", "flush folder"};
  const auto deleted = [](const std::string& path) { fs::remove(path); };
  const auto failFlushOnce = [](const std::string&) { failFlushOf = "new\r\nnew"; failingFlushes = 1; };
  const std::vector<Case> cases = {
      {"all kept", {}, nullptr, {}, "new new\r\nnew", {}, both, "Made 4 replacements."},
      {"some dropped", {2, 0}, nullptr, {}, "old new\r\nold", {}, both, "Made 2 replacements."},
      {"all dropped", {1, 0, 2}, nullptr, {}, "old OLD\r\nold", {}, onlyB, "Made 1 replacements."},
      {"edited, retried", {}, editBehindItsBack, {MessageAnswer::Retry, MessageAnswer::Ignore}, "xld OLD\r\nold",
       {changed, changed}, onlyB, "Made 1 replacements."},
      {"deleted", {}, deleted, {}, "", {{53, kApplicationTitle, "File not found"}}, onlyB, "Made 1 replacements."},
      {"flush failed, retried", {0}, failFlushOnce, {MessageAnswer::Retry}, "old new\r\nnew",
       {{57, kApplicationTitle, "Device I/O error"}},
       {"keep a.txt", "keep b.txt", "durable", "keep a.txt", "durable", "rename a.txt", "rename b.txt", "flush folder"},
       "Made 3 replacements."},
  };
  // The window's boxes say otherwise: the preview's terms rule.
  host.find = "unused";
  host.caseSensitive = CheckValue::Checked;
  for (const int jobs : {1, 3}) {
    for (const auto& [what, dropped, afterPreview, answers, a, failures, expectedEvents, report] : cases) {
      ChosenRun chosen{"old", "new", CompareMode::Text, {}};
      for (const auto& [name, text] : {std::pair{"a.txt", "old OLD\r\nold"}, {"b.txt", "Old"}})
        chosen.files.push_back({file(name, text), FileFingerprint::of(statusOf(folder / name)), {}});
      for (const std::int64_t index : dropped) chosen.files[0].occurrences.drop(index);
      // Past a tick of the file system's clock, so that any change sets a status-change time of its own.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (afterPreview) afterPreview(folder / "a.txt");
      host.answers = {answers.begin(), answers.end()};
      run(false, jobs, &chosen);
      const std::string at = std::string(what) + ", " + std::to_string(jobs) + " jobs";
      EXPECT_EQ(fs::exists(folder / "a.txt") ? readFile(folder / "a.txt") : "", a) << at;
      EXPECT_EQ(readFile(folder / "b.txt"), "new") << at;
      ASSERT_EQ(host.messages.size(), failures.size() + 1) << at;
      for (std::size_t i = 0; i < failures.size(); ++i)
        EXPECT_EQ(host.messages[i].text, messages::fileSystemFailure(folder / "a.txt", failures[i])) << at;
      EXPECT_EQ(lastMessage().text, report) << at;
      EXPECT_EQ(events, expectedEvents) << at;
      EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "enable", "focus"})) << at;
      EXPECT_TRUE(host.findList.items.empty()) << at;
    }
  }
  // The ordinary run over the same files, with the same terms.
  host.files = {file("a.txt", "old OLD\r\nold"), file("b.txt", "Old")};
  host.find = "old";
  host.caseSensitive = CheckValue::Cleared;
  run();
  EXPECT_EQ(readFile(folder / "a.txt"), "new new\r\nnew");
  EXPECT_EQ(events, both);
  EXPECT_EQ(lastMessage().text, "Made 4 replacements.");
}

// Holds each helper at its file's first write until the run's thread waits for the first file.
std::mutex gateMutex;
std::condition_variable gateSignal;
bool gateOpen = false;

int gatedCreateUnnamed(int folder) {
  std::unique_lock lock(gateMutex);
  gateSignal.wait(lock, [] { return gateOpen; });
  return createUnnamedFile(folder);
}

// The run's side of the batches: it yields through `onYield` and never ends.
class YieldingRun final : public BatchHost {
 public:
  std::function<void()> onYield;
  void yield() override { onYield(); }
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
    const EngineOptions options{.swap = {.createUnnamed = &gatedCreateUnnamed}, .journal = &journal, .jobs = 2,
                                .readAhead = readAhead, .batch = {.files = batchFiles}};
    EncodedTerms terms("old", "new", CompareMode::Binary);
    Yielder yielder([] { return true; });
    std::size_t handedIn = 0, handedInAtFirstWait = 0;
    YieldingRun batchHost;
    batchHost.onYield = [&] {
      const std::lock_guard lock(gateMutex);
      if (!gateOpen) handedInAtFirstWait = handedIn;
      gateOpen = true;
      gateSignal.notify_all();
    };
    {
      BatchPublisher publisher(options, terms, yielder, batchHost);
      for (const std::string& path : paths) {
        ++handedIn;
        publisher.add(FileToRewrite::named(path));
      }
      publisher.publishAll();
    }
    EXPECT_EQ(handedInAtFirstWait, readAhead + 1) << batchFiles << " files a batch";
    EXPECT_EQ(std::count(events.begin(), events.end(), "durable"), static_cast<long>(paths.size() / batchFiles));
    EXPECT_EQ(readFile(paths.back()), "new");
  }
}

class FolderRun : public ReplaceRun {
 protected:
  void SetUp() override {
    ReplaceRun::SetUp();
    host.fileMode = false;
    host.folderMode = true;
    host.folder = folder.path();
    makeTree();
  }

  void makeTree() {
    for (const char* name : {"b.txt", "A.txt", "page.htm", "page.html", "script.js", "noext", ".hidden.txt",
                             "sub/z.txt", "sub/deeper/y.txt", "Other/x.txt", ".git/config", ".hg/store", ".svn/entries",
                             "notes.txt/inner.txt", ".sorvane-Ab3xY9.tmp"})
      file(name, "old");
  }
};

// Files before folders, in name order, without version-control records and temporary files.
TEST_F(FolderRun, WalksTheFilesOfItsTypeBeforeTheFoldersInNameOrder) {
  const std::vector<std::tuple<std::string, CheckValue, std::vector<std::string>, std::string>> cases = {
      {kFileTypes[0].caption, CheckValue::Checked,
       {".hidden.txt", "A.txt", "b.txt", "noext", "page.htm", "page.html", "script.js", "notes.txt/inner.txt",
        "Other/x.txt", "sub/z.txt", "sub/deeper/y.txt"}, ""},
      {kFileTypes[1].caption, CheckValue::Grayed, {"page.htm", "page.html"}, ""},
      {kFileTypes[3].caption, CheckValue::Cleared, {".hidden.txt", "A.txt", "b.txt"}, ""},
      {"Text files (*.txt)", CheckValue::Checked, {}, ""},
      {kFileTypes[0].caption, CheckValue::Checked, {}, "no such folder"},
  };
  for (const auto& [type, recursive, expected, under] : cases) {
    makeTree();
    host.fileType = type;
    host.recursive = recursive;
    host.folder = under.empty() ? folder.path() : folder / under;
    run();
    EXPECT_EQ(swappedNames(), expected) << type;
    EXPECT_EQ(lastMessage().text, "Made " + std::to_string(expected.size()) + " replacements.");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "refresh", "enable", "focus"}));
  }
  for (const char* record : {".git/config", ".hg/store", ".svn/entries"}) EXPECT_EQ(readFile(folder / record), "old");
}

// Other/x.txt fails as it is read or as it is renamed; no file after it is read.
TEST_F(FolderRun, AbortDeepInTheTreeEndsTheWholeWalk) {
  host.recursive = CheckValue::Checked;
  for (const bool failsAsRead : {false, true}) {
    makeTree();
    if (failsAsRead) ::chmod((folder / "Other/x.txt").c_str(), 0444);
    failSwapOf = failsAsRead ? "" : folder / "Other/x.txt";
    host.answers = {MessageAnswer::Abort};
    run();
    EXPECT_EQ(keptFiles(), failsAsRead ? 8 : 11);
    EXPECT_EQ(swapped.size(), 8u);  // seven top-level files, then notes.txt/inner.txt
    EXPECT_EQ(readFile(folder / "sub/z.txt"), "old");
    EXPECT_EQ(lastMessage().text, "Made 8 replacements.");
  }
}

// Files gone or made folders after the listing are reported and skipped; a folder removed, made
// a link outside, or failing half-way through its listing is passed over and told to the host.
TEST_F(FolderRun, WhatChangesOrFailsAfterTheListingIsReportedAndPassedOver) {
  host.recursive = CheckValue::Checked;
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
    EXPECT_EQ(lastMessage().text, removed ? "Made 7 replacements." : "Made 9 replacements.") << how;
    EXPECT_EQ(readFile(outside / "z.txt"), "old");
  }
}

TEST_F(FolderRun, TreeDeeperThanAPathMayBeLongIsWalkedToTheBottom) {
  // Twenty nested folders of 250-byte names.
  const fs::path start = fs::current_path();
  std::string deepPath = folder.path();
  fs::current_path(folder.path());
  for (char level = 'a'; level < 'a' + 20; ++level) {
    fs::create_directory(std::string(250, level));
    fs::current_path(std::string(250, level));
    deepPath += "/" + std::string(250, level);
  }
  writeFile("deep.txt", "old");
  deepPath += "/deep.txt";
  ASSERT_GT(deepPath.size(), static_cast<std::size_t>(PATH_MAX));

  host.recursive = CheckValue::Checked;
  run();
  EXPECT_EQ(lastMessage().text, "Made 12 replacements.");
  EXPECT_EQ(readFile("deep.txt"), "new");
  fs::current_path(start);

  // Named by its whole path, the file cannot be reached: a failure like any other.
  host.fileMode = true;
  host.folderMode = false;
  host.files = {deepPath};
  host.find = "new";
  run();
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_NE(host.messages[0].text.find("Error number:  75"), std::string::npos);
}

}  // namespace
}  // namespace sorvane::testing
