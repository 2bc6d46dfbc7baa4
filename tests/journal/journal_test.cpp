#include "engine/replace_run.h"
#include "journal/history.h"
#include "journal/journal_folder.h"
#include "journal/journal_texts.h"
#include "journal/run_recorder.h"
#include "journal/undo.h"
#include "run_program.h"
#include "scripted_host.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <grp.h>
#include <map>
#include <mutex>
#include <tuple>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvane::testing {
namespace {

namespace fs = std::filesystem;
using journal::JournalLimits;
using journal::Kept;
using journal::RunRecorder;
using journal::UndoOutcome;
using journal::undoLastRun;

// What a user would notice of a file: its bytes, mode, owner and modification time.
struct FileState {
  std::string bytes;
  mode_t mode;
  uid_t owner;
  timespec modified;

  static FileState of(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return {readFile(path), st.st_mode, st.st_uid, st.st_mtim};
  }
  bool operator==(const FileState& other) const {
    return bytes == other.bytes && mode == other.mode && owner == other.owner &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

void PrintTo(const FileState& state, std::ostream* out) {
  *out << '"' << state.bytes << "\" mode " << std::oct << state.mode << std::dec << " mtime " << state.modified.tv_sec
       << '.' << state.modified.tv_nsec;
}

void writeOld(const std::string& path, const std::string& content, mode_t mode) {
  writeFile(path, content);
  ::chmod(path.c_str(), mode);
  const timespec times[2] = {{1000000000, 5}, {1000000000, 123456789}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// The order in which a run keeps an original, flushes the new content, makes the record durable,
// swaps the file and flushes its folder. Helper threads flush, so the list is guarded.
std::mutex eventsMutex;
std::vector<std::string> events;

void record(std::string event) {
  const std::lock_guard lock(eventsMutex);
  events.push_back(std::move(event));
}

int watchedLink(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
  record("link");
  return ::linkat(fromFolder, from, toFolder, to, flags);
}

int watchedFlush(int fd) {
  struct stat st {};
  ::fstat(fd, &st);
  if (S_ISDIR(st.st_mode)) {
    record("flush folder");
  } else {
    std::ifstream manifest(pathOf(fd));
    int records = 0;
    for (std::string line; std::getline(manifest, line);) records += line.rfind("file ", 0) == 0;
    record("flush " + std::to_string(records) + " records");
  }
  return ::fsync(fd);
}

// The new content is named by what it holds: the file has no name yet.
int watchedDataFlush(int fd) {
  record("data " + readFile("/proc/self/fd/" + std::to_string(fd)));
  return ::fdatasync(fd);
}

int watchedRename(int fromFolder, const char* from, int toFolder, const char* to) {
  record(std::string("rename ") + to);
  return ::renameat(fromFolder, from, toFolder, to);
}

int watchedFolderFlush(int fd) {
  record("sync " + fs::path(pathOf(fd)).filename().string());
  return ::fsync(fd);
}

// Links and data flushes of one batch run on several threads: their order among themselves is
// free, so each such stretch is sorted.
std::vector<std::string> withStretchesSorted(std::vector<std::string> list) {
  const auto free = [](const std::string& event) { return event == "link" || event.rfind("data ", 0) == 0; };
  for (auto from = list.begin(); from != list.end();) {
    const auto to = std::find_if_not(from, list.end(), free);
    std::sort(from, to);
    from = to == list.end() ? to : to + 1;
  }
  return list;
}

int crossDeviceLink(int, const char*, int, const char*, int) {
  errno = EXDEV;
  return -1;
}

// Files whose restore fails, by name, and how: as on a full disk, or without permission.
std::map<std::string, int> failingRestores;

int failingMove(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
  if (const auto failing = failingRestores.find(to); failing != failingRestores.end()) {
    errno = failing->second;
    return -1;
  }
  return ::renameat2(fromFolder, from, toFolder, to, flags);
}

class Journal : public ::testing::Test {
 protected:
  void run(RunRecorder& recorder, const std::vector<std::string>& files, const std::string& find = "old",
           const std::string& replace = "new", EngineOptions options = {}) {
    ScriptedHost host;
    host.files = files;
    host.find = find;
    host.replace = replace;
    options.journal = &recorder;
    ReplaceEngine(host, options).cmdReplace_Click();
  }

  std::string runsFolder() const { return state / "sorvane/runs"; }
  // The newest run's folder: names sort oldest first, after the journal's lock.
  std::string newestRun() const { return runsFolder() + "/" + namesIn(runsFolder()).back(); }
  std::vector<journal::KeptRun> kept() const {
    std::string error;
    auto runs = journal::keptRuns(state.path(), error);
    EXPECT_EQ(error, "");
    return runs;
  }

  TempFolder state;
  TempFolder folder;
};

// Which file of a run comes back, and which is left alone, the command-line and launcher tests
// check; here, what comes back with the bytes, and which runs are kept at all.
TEST_F(Journal, UndoRestoresModeAndTimeAndOnlyRunsThatWroteAreKept) {
  const std::string a = folder / "a.txt", plain = folder / "plain.txt";
  writeOld(a, "old a\r\n", 0640);
  writeOld(plain, "nothing", 0604);
  const FileState aBefore = FileState::of(a);
  RunRecorder recorder(state.path(), "test");

  ScriptedHost dryHost;
  dryHost.files = {a};
  dryHost.find = "old";
  EngineOptions dryRun;
  dryRun.dryRun = true;
  dryRun.journal = &recorder;
  ReplaceEngine(dryHost, dryRun).cmdReplace_Click();
  run(recorder, {plain});
  EXPECT_TRUE(namesIn(state.path()).empty()) << "a dry run, or a run that rewrites nothing, keeps nothing";

  run(recorder, {a, plain});
  run(recorder, {a}, "new", "newer");
  EXPECT_TRUE(undoLastRun(state.path()).complete());
  EXPECT_EQ(readFile(a), "new a\r\n");
  EXPECT_TRUE(undoLastRun(state.path()).complete());
  EXPECT_EQ(FileState::of(a), aBefore);
  const auto runs = kept();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_TRUE(runs[1].record->undone);
  EXPECT_EQ(journal::texts::historyLine(*runs[1].record, false).substr(19),
            "  test  \"old\" \u2192 \"new\"  1 files  1 replacements  taken back");
}

// Per batch: every original linked and every new content flushed, then the records made durable
// once, then the renames in run order, then one flush of the folder; whether the run's own thread
// reads the files (in two batches) or helpers do (in one, as they read ahead of the batch).
TEST_F(Journal, BatchFlushesDataThenRecordsThenRenamesThenTheFolder) {
  const std::string sync = "sync " + fs::path(folder.path()).filename().string();
  const std::vector<std::string> twoBatches = {
      "data new a", "data new b", "link", "link", "flush 2 records", "flush folder", "rename a.txt", "rename b.txt",
      sync, "data new c", "link", "flush 3 records", "flush folder", "rename c.txt", sync};
  const std::vector<std::string> oneBatch = {"data new a", "data new b", "data new c", "link", "link", "link",
                                             "flush 3 records", "flush folder", "rename a.txt", "rename b.txt",
                                             "rename c.txt", sync};
  for (const auto& [jobs, batchFiles, expected] : {std::tuple{1, 2, twoBatches}, std::tuple{3, 3, oneBatch}}) {
    for (const char* name : {"a", "b", "c"}) writeFile(folder / (name + std::string(".txt")), std::string("old ") + name);
    events.clear();
    RunRecorder recorder(state.path(), "test", {}, {&watchedLink, &watchedFlush});
    EngineOptions options;
    options.swap.flushData = &watchedDataFlush;
    options.swap.rename = &watchedRename;
    options.swap.flushFolder = &watchedFolderFlush;
    options.jobs = jobs;
    options.batch.files = static_cast<std::size_t>(batchFiles);
    run(recorder, {folder / "a.txt", folder / "b.txt", folder / "c.txt"}, "old", "new", options);
    EXPECT_EQ(withStretchesSorted(events), expected) << jobs << " jobs";
    const FileDescriptor runFolder(::open((runsFolder() + "/" + namesIn(runsFolder()).back()).c_str(), O_RDONLY));
    std::string error;
    const auto record = journal::readRun(runFolder.get(), error);
    ASSERT_TRUE(record) << error;
    EXPECT_EQ(record->files.at(0).kept, Kept::Link);
    // In run order, whichever thread read the file: undo takes the last renamed back first.
    std::vector<std::string> recorded;
    for (const journal::FileRecord& file : record->files) recorded.push_back(fs::path(file.path).filename());
    EXPECT_EQ(recorded, (std::vector<std::string>{"a.txt", "b.txt", "c.txt"})) << jobs << " jobs";
  }
}

TEST_F(Journal, OnAnotherFileSystemTheOriginalIsCopiedAndComesBack) {
  struct stat shm {}, here {};
  const bool haveShm = ::stat("/dev/shm", &shm) == 0 && ::stat(folder.path().c_str(), &here) == 0 &&
                       shm.st_dev != here.st_dev && ::access("/dev/shm", W_OK) == 0;
  std::optional<TempFolder> elsewhere;
  if (haveShm) elsewhere.emplace("/dev/shm");
  const std::string path = folder / "a.txt";
  for (const bool forced : {true, false}) {
    if (!forced && !elsewhere) continue;
    // Set-id bits come back with their owner.
    writeOld(path, std::string(300000, 'x') + "old\r\n", 06750);
    const FileState before = FileState::of(path);
    RunRecorder recorder(forced ? state.path() : elsewhere->path(), "test", {},
                         forced ? journal::JournalCalls{&crossDeviceLink, &::fsync} : journal::JournalCalls{});
    run(recorder, {path});
    EXPECT_EQ(readFile(path), std::string(300000, 'x') + "new\r\n");
    const UndoOutcome outcome = undoLastRun(forced ? state.path() : elsewhere->path());
    EXPECT_TRUE(outcome.complete()) << (forced ? "forced EXDEV" : "/dev/shm");
    ASSERT_EQ(outcome.run.files.size(), 1u);
    EXPECT_EQ(outcome.run.files[0].kept, Kept::Copy);
    EXPECT_EQ(FileState::of(path), before) << (forced ? "forced EXDEV" : "/dev/shm");
  }
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"a.txt"});
  if (!haveShm) GTEST_SKIP() << "no /dev/shm on another file system: only the forced EXDEV was tried";
}

TEST_F(Journal, PruningKeepsTheNewestRunsWithinTheLimitAndNeverARunInProgress) {
  for (int i = 0; i < 5; ++i) writeFile(folder / ("small" + std::to_string(i) + ".txt"), "old");
  writeFile(folder / "busy.txt", "old");
  const std::string big = folder / "big.txt", large = folder / "large.txt";
  writeFile(large, "old" + std::string(100000, 'l'));
  const auto diskBytes = [](const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return static_cast<std::uint64_t>(st.st_blocks) * 512;
  };
  // Room for the large file beside one small run, not beside two.
  const std::uint64_t limit = diskBytes(large) + diskBytes(folder / "busy.txt");
  writeFile(big, "old" + std::string(2 * limit, 'b'));
  const JournalLimits limits{3, limit};

  // Another process's run, still writing: it holds its folder's lock all along.
  RunRecorder concurrent(state.path(), "other", limits);
  concurrent.runStarted("old", "new", CompareMode::Binary);
  {
    const FileDescriptor parent(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY));
    const FileDescriptor file(::open((folder / "busy.txt").c_str(), O_RDONLY));
    struct stat st {};
    ::fstat(file.get(), &st);
    const std::string name = "busy.txt", path = folder / "busy.txt";
    concurrent.keepOriginal({parent.get(), name, path, file.get(), st}, FileFingerprint{});
    concurrent.makeKeptDurable();
  }

  RunRecorder recorder(state.path(), "test", limits);
  for (int i = 0; i < 5; ++i) run(recorder, {folder / ("small" + std::to_string(i) + ".txt")});
  auto runs = kept();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].record->files.at(0).path, folder / "small4.txt");
  EXPECT_EQ(runs[1].record->files.at(0).path, folder / "small3.txt");
  EXPECT_TRUE(runs[2].inProgress);
  EXPECT_EQ(journal::texts::historyLine(*runs[2].record, true).substr(19),
            "  other  \"old\" \u2192 \"new\"  1 files  did not finish  in progress");

  // Past the limit a file is rewritten without a copy; older runs make room for the newest.
  const FileState largeBefore = FileState::of(large);
  run(recorder, {big, large});
  EXPECT_EQ(readFile(big), "new" + std::string(2 * limit, 'b'));
  runs = kept();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NE(journal::texts::historyLine(*runs[0].record, false).find("  2 files (1 without a copy)  "), std::string::npos);
  EXPECT_TRUE(runs[1].inProgress);
  EXPECT_LE(runs[0].record->keptBytes() + runs[1].record->keptBytes(), limit);

  const UndoOutcome outcome = undoLastRun(state.path());
  EXPECT_EQ(FileState::of(large), largeBefore);
  ASSERT_EQ(outcome.leftAlone.size(), 1u);
  EXPECT_EQ(outcome.leftAlone[0].path, big);
  EXPECT_EQ(outcome.leftAlone[0].reason, "no copy was kept");
  EXPECT_EQ(undoLastRun(state.path()).kind, UndoOutcome::Kind::InProgress);
  // Its file was never put in place: the run leaves nothing behind, and undo goes past it.
  concurrent.runEnded(0, 0);
  EXPECT_EQ(kept().size(), 1u);
  struct stat busy {};
  ::stat((folder / "busy.txt").c_str(), &busy);
  EXPECT_EQ(busy.st_nlink, 1u) << "no link to the live file stays in the journal";
  EXPECT_EQ(undoLastRun(state.path()).kind, UndoOutcome::Kind::NothingToUndo);
}

TEST_F(Journal, HostileJournalIsRefusedWholeAndUndoFollowsNoLink) {
  fs::create_directory(folder / "sub");
  const std::string a = folder / "a.txt", b = folder / "sub/b.txt", c = folder / "c.txt", victim = folder / "victim";
  for (const std::string& path : {a, b, c}) writeFile(path, "old");
  writeFile(victim, "vic");  // as long as the original it stands in for
  RunRecorder recorder(state.path(), "test");
  run(recorder, {a, b, c});
  const std::string runFolder = runsFolder() + "/" + namesIn(runsFolder()).back();
  const std::string manifest = runFolder + "/manifest", text = readFile(manifest);

  struct Case {
    const char* what;
    std::function<void()> spoil;
    std::string says;
  };
  std::vector<Case> cases = {
      {"relative path",
       [&] {
         std::string forged = text;
         forged.replace(forged.find(c), c.size(), "c.txt");
         writeFile(manifest, forged);
       },
       "its manifest cannot be read"},
      {"unknown line", [&] { writeFile(manifest, text + "file 9 /tmp/x.txt\n"); }, "its manifest cannot be read"},
      {"manifest a link",
       [&] {
         fs::rename(manifest, runFolder + "/real");
         fs::create_symlink("real", manifest);
       },
       "its manifest cannot be opened"},
      {"journal open to others", [&] { ::chmod(runsFolder().c_str(), 0755); }, "is open to others"},
      {"journal a link",
       [&] {
         fs::rename(runsFolder(), state / "sorvane/elsewhere");
         fs::create_directory_symlink("elsewhere", runsFolder());
       },
       "is a symbolic link"},
  };
  if (::geteuid() == 0)
    cases.push_back({"journal not the user's",
                     [&] { ASSERT_EQ(::chown(runFolder.c_str(), unprivilegedUser(), unprivilegedGroup()), 0); },
                     "is not yours"});
  for (const Case& hostile : cases) {
    hostile.spoil();
    const UndoOutcome outcome = undoLastRun(state.path());
    EXPECT_EQ(outcome.kind, UndoOutcome::Kind::Refused) << hostile.what;
    EXPECT_NE(outcome.error.find(hostile.says), std::string::npos) << hostile.what << ": " << outcome.error;
    for (const std::string& path : {a, b, c}) EXPECT_EQ(readFile(path), "new") << hostile.what;
    // Put the journal back as it was.
    if (fs::is_symlink(runsFolder())) {
      fs::remove(runsFolder());
      fs::rename(state / "sorvane/elsewhere", runsFolder());
    }
    if (fs::is_symlink(manifest)) fs::rename(runFolder + "/real", manifest);
    ::chmod(runsFolder().c_str(), 0700);
    ::chown(runFolder.c_str(), ::geteuid(), ::getegid());
    writeFile(manifest, text);
  }

  // A kept original turned into a link, and a folder on a recorded path turned into one.
  fs::remove(runFolder + "/1");
  fs::create_symlink(victim, runFolder + "/1");
  fs::rename(folder / "sub", folder / "real-sub");
  fs::create_directory_symlink("real-sub", folder / "sub");
  const UndoOutcome outcome = undoLastRun(state.path());
  EXPECT_EQ(outcome.restored, std::vector<std::string>{c});
  ASSERT_EQ(outcome.leftAlone.size(), 2u);
  EXPECT_EQ(outcome.leftAlone[0].path, b);
  EXPECT_EQ(outcome.leftAlone[1].reason, "the journal's copy is missing or damaged");
  EXPECT_EQ(readFile(a), "new");
  EXPECT_EQ(readFile(folder / "real-sub/b.txt"), "new");
  EXPECT_EQ(readFile(victim), "vic");
  EXPECT_EQ(readFile(c), "old");
}

// A file left for a reason that may pass keeps its run open for one more undo, which tries the
// rest of the run and says so; left again, each file is named with where its original lies, and
// the run counts as taken back, so the older runs follow. A change does not pass, however little
// shows it: an edit that keeps the size and puts the modification time back, another file of the
// same size and time renamed over it. A mark torn off the end of the manifest is cut, never
// built on.
TEST_F(Journal, FilesLeftForAPassingReasonAreTriedOnceMoreThenNamedAndOlderRunsFollow) {
  const std::string older = folder / "older.txt", a = folder / "a.txt", b = folder / "b.txt", c = folder / "c.txt",
                    edited = folder / "d.txt", replaced = folder / "e.txt";
  for (const std::string& path : {older, a, b, c, edited, replaced}) writeFile(path, "old");
  RunRecorder recorder(state.path(), "test");
  run(recorder, {older});
  run(recorder, {a, b, c, edited, replaced});
  struct stat was {};
  const auto putTimeBack = [&](const std::string& path) {
    const timespec times[2] = {was.st_atim, was.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  };
  ::stat(edited.c_str(), &was);
  std::fstream(edited, std::ios::in | std::ios::out) << "NEW";
  putTimeBack(edited);
  ::stat(replaced.c_str(), &was);
  writeFile(replaced + ".other", "NEW");
  putTimeBack(replaced + ".other");
  fs::rename(replaced + ".other", replaced);

  const std::string runFolder = newestRun();
  using Left = std::vector<std::pair<std::string, std::string>>;  // each file and where its original is named
  struct Attempt {
    std::map<std::string, int> failing;
    std::string subject;
    std::vector<std::string> restored;
    Left left;
    std::string report;
  };
  const Attempt attempts[] = {
      {{{"b.txt", ENOSPC}, {"c.txt", EACCES}}, ", 5 files", {a}, {{replaced, ""}, {edited, ""}, {c, ""}, {b, ""}},
       "Restored 1 file. 4 left alone; the next undo tries the rest of the run."},
      {{{"c.txt", EROFS}}, ", 4 of 5 files", {b},
       {{replaced, runFolder + "/5"}, {edited, runFolder + "/4"}, {c, runFolder + "/3"}}, "Restored 1 file. 3 left alone."},
  };
  for (const Attempt& attempt : attempts) {
    failingRestores = attempt.failing;
    journal::UndoOptions options;
    options.move = &failingMove;
    const UndoOutcome outcome = undoLastRun(state.path(), options);
    EXPECT_TRUE(journal::texts::undoSubject(outcome.run).ends_with(attempt.subject)) << attempt.report;
    EXPECT_EQ(outcome.restored, attempt.restored);
    Left left;
    for (const journal::LeftAlone& file : outcome.leftAlone) {
      left.emplace_back(file.path, file.original);
      if (!file.original.empty()) EXPECT_EQ(readFile(file.original), "old") << file.path;
      if (file.path != c && file.path != b) EXPECT_EQ(file.reason, "changed since the run") << file.path;
    }
    EXPECT_EQ(left, attempt.left);
    EXPECT_EQ(journal::texts::undoReport(outcome, false), attempt.report);
    std::ofstream(runFolder + "/manifest", std::ios::app) << "restored 3";  // as a full disk or a kill leaves it
  }
  failingRestores.clear();
  EXPECT_EQ(readFile(a) + readFile(b) + readFile(c) + readFile(edited) + readFile(replaced), "oldoldnewNEWNEW");
  EXPECT_TRUE(undoLastRun(state.path()).complete());
  EXPECT_EQ(readFile(older), "old");
}

// The journal's lock is taken to choose a run, as runs take it to make theirs, and to list the
// runs; not while the files go back, so new runs may start. The chosen run's own lock is held
// all along, so no new run prunes it.
TEST_F(Journal, UndoLocksTheJournalToChooseAndTheRunWhileItRestores) {
  writeFile(folder / "a.txt", "old");
  RunRecorder recorder(state.path(), "test");
  run(recorder, {folder / "a.txt"});
  const std::string runFolder = newestRun();
  bool journalFree = false, runHeld = false;
  journal::UndoOptions options;
  options.progress = [&](std::size_t, std::size_t) {
    const FileDescriptor lock(::open((runsFolder() + "/.lock").c_str(), O_RDONLY));
    journalFree = ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0;
    const FileDescriptor run(::open(runFolder.c_str(), O_RDONLY | O_DIRECTORY));
    runHeld = !journal::tryLockRun(run.get());
  };
  std::string error;
  auto held = std::make_optional<journal::JournalFolder::Lock>(*journal::JournalFolder::open(state.path(), false, error));
  auto undo = std::async(std::launch::async, [&] { return undoLastRun(state.path(), options); });
  auto history = std::async(std::launch::async, [&] { return kept(); });
  EXPECT_EQ(undo.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
  EXPECT_EQ(history.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
  held.reset();
  EXPECT_TRUE(undo.get().complete());
  EXPECT_EQ(history.get().size(), 1u);
  EXPECT_TRUE(journalFree);
  EXPECT_TRUE(runHeld);
}

// Where the original's owner cannot be given back, neither are its set-id bits: they would lend
// the rights of whoever undoes.
TEST_F(Journal, SetIdBitsComeBackOnlyWithTheirOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make a file that another user takes back";
  const std::string path = folder / "tool";
  writeFile(path, "old");
  ::chmod(path.c_str(), 06775);
  // Kept as a copy, as for a user whom the kernel refuses a link to a set-id file.
  RunRecorder recorder(state.path(), "test", {}, {&crossDeviceLink, &::fsync});
  run(recorder, {path});
  // The journal and the folder are the user's, as they would be had the user run it.
  for (const auto& entry : fs::recursive_directory_iterator(state.path()))
    ::lchown(entry.path().c_str(), unprivilegedUser(), unprivilegedGroup());
  for (const std::string& own : {state.path(), folder.path()}) ::chown(own.c_str(), unprivilegedUser(), unprivilegedGroup());
  const pid_t child = ::fork();
  if (child == 0) {
    const bool asUser = ::setgroups(0, nullptr) == 0 && ::setegid(unprivilegedGroup()) == 0 &&
                        ::seteuid(unprivilegedUser()) == 0;
    ::_exit(asUser && undoLastRun(state.path()).complete() ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(status, 0);
  struct stat restored {};
  ::stat(path.c_str(), &restored);
  EXPECT_EQ(restored.st_mode & 07777, 0775u);
  EXPECT_EQ(readFile(path), "old");
}

}  // namespace
}  // namespace sorvane::testing
