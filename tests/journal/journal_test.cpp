#include "engine/run/replace_run.h"
#include "journal/history.h"
#include "journal/journal_folder.h"
#include "journal/journal_texts.h"
#include "journal/put_away_runs.h"
#include "journal/run_recorder.h"
#include "journal/undo.h"
#include "extended_attributes.h"
#include "system_calls.h"
#include "run_program.h"
#include "scripted_events.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <grp.h>
#include <map>
#include <set>
#include <string_view>
#include <sys/file.h>
#include <tuple>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>

namespace sorvane::testing {
namespace {

namespace fs = std::filesystem;
using journal::JournalLimits;
using journal::Kept;
using journal::RunRecorder;
using journal::UndoOutcome;
using journal::undoLastRun;

// What a user would notice of a file: its bytes, mode, owner and modification time.
auto fileState(const std::string& path) {
  const struct stat st = statusOf(path);
  return std::tuple(readFile(path), st.st_mode, st.st_uid, st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

// A file of `length` bytes, when longer than `content`, is sparse: a hole follows the content.
void writeOld(const std::string& path, const std::string& content, mode_t mode, off_t length = 0) {
  writeFile(path, content);
  if (length > 0) ::truncate(path.c_str(), length);
  ::chmod(path.c_str(), mode);
  const timespec times[2] = {{1000000000, 5}, {1000000000, 123456789}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

int watchedLink(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
  record("link");
  return ::linkat(fromFolder, from, toFolder, to, flags);
}

int watchedFlush(int fd) {
  std::ifstream manifest(pathOf(fd));  // a folder reads as nothing
  std::set<std::string> records;  // by number: a retried file's is written again
  for (std::string line; std::getline(manifest, line);)
    if (line.rfind("file ", 0) == 0) records.insert(line.substr(0, line.find(' ', 5)));
  record(fs::is_directory(pathOf(fd)) ? "flush folder" : "flush " + std::to_string(records.size()) + " records");
  return ::fsync(fd);
}

// Given each new content as it is flushed; an errno it returns fails the flush.
std::function<int(const std::string&)> onDataFlush;

// The new content is named by what it holds: the file has no name yet.
int watchedDataFlush(int fd) {
  const std::string content = contentOf(fd);
  record("data " + content);
  if (const int error = onDataFlush ? onDataFlush(content) : 0) {
    errno = error;
    return -1;
  }
  return ::fdatasync(fd);
}

int watchedFolderFlush(int fd) {
  record("sync " + fs::path(pathOf(fd)).filename().string());
  return ::fsync(fd);
}

// Links and data flushes of a batch run on several threads in any order: each stretch is sorted.
std::vector<std::string> withStretchesSorted(std::vector<std::string> list) {
  const auto free = [](const std::string& event) { return event == "link" || event.rfind("data ", 0) == 0; };
  for (auto from = list.begin(); from != list.end();) {
    const auto to = std::find_if_not(from, list.end(), free);
    std::sort(from, to);
    from = to == list.end() ? to : to + 1;
  }
  return list;
}

// Files whose restore fails, by name, with an errno.
std::map<std::string, int> failingRestores;

int failingMove(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
  if (const auto failing = failingRestores.find(to); failing != failingRestores.end()) {
    errno = failing->second;
    return -1;
  }
  return ::renameat2(fromFolder, from, toFolder, to, flags);
}

// Killed at the second rename, before it (a run, as the next file has its temporary name) or after
// it (an undo that put two files back, before it could mark them).
template <bool afterIt>
int killedOnSecondRename(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
  static int renames = 0;
  const bool second = ++renames == 2;
  if (second && !afterIt) ::_exit(9);
  const int moved = ::renameat2(fromFolder, from, toFolder, to, flags);
  if (second) ::_exit(9);
  return moved;
}

// A file system without unnamed files, where a run is killed as it creates its second
// replacement: helpers that read ahead have named the first before the journal kept its original.
int namedAndKilledOnSecond(int) {
  static int creates = 0;
  if (++creates == 2) ::_exit(9);
  errno = EOPNOTSUPP;
  return -1;
}

// Runs `work` in a child process, which is to be killed in it.
void inKilledChild(const std::function<void()>& work) {
  const pid_t child = ::fork();
  if (child == 0) work(), ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 9);
}

// A disk that runs full in the middle of the first manifest line that starts with `fullAt`.
std::string fullAt;
ssize_t fillingDisk(int fd, const void* data, std::size_t size) {
  if (fullAt.empty() || !std::string_view(static_cast<const char*>(data), size).starts_with(fullAt))
    return ::write(fd, data, size);
  fullAt.clear();
  ::write(fd, data, size / 2);
  errno = ENOSPC;
  return -1;
}

// Another process holds the lock of a folder made for a new run.
int lockTakenByAnother(int fd, int operation) {
  if (fs::path(pathOf(fd)).filename().string()[0] != '.') return ::flock(fd, operation);
  errno = EWOULDBLOCK;
  return -1;
}

// As pruning locks each run, another process tries the runs it locked before: none may be free.
std::string prunedFolder;
std::vector<std::string> freedWhilePruning;
int lockTriedByAnother(int fd, int operation) {
  const int locked = ::flock(fd, operation);
  const std::string name = fs::path(pathOf(fd)).filename();
  for (const std::string& earlier : namesIn(prunedFolder)) {
    if (earlier[0] == '.' || earlier >= name) continue;
    const FileDescriptor other(::open((prunedFolder + "/" + earlier).c_str(), O_RDONLY | O_DIRECTORY));
    if (::flock(other.get(), LOCK_EX | LOCK_NB) == 0) freedWhilePruning.push_back(earlier);
  }
  return locked;
}

// What a run waits on as it prunes: whole manifests read, and deletions of runs put away (none here).
int wholeReads = 0, removals = 0;
std::optional<journal::RunRecord> countedRead(int runFolder, std::string& error) {
  ++wholeReads;
  return journal::readRun(runFolder, error);
}
void removalNoted(int) { ++removals; }

// Moves `path` aside, to its name ending in "-real", and puts a symbolic link to it in its place.
void turnIntoLink(const std::string& path) {
  fs::rename(path, path + "-real");
  fs::create_symlink(fs::path(path).filename().string() + "-real", path);
}

class Journal : public ::testing::Test {
 protected:
  // Replaces `terms` in `files`, flushing by `watchedDataFlush`, told as `script` says.
  void run(RunRecorder& recorder, const std::vector<std::string>& files, EngineOptions options = {},
           const std::function<void(ScriptedEvents&)>& script = {},
           const std::pair<std::string, std::string>& terms = {"old", "new"}) {
    ScriptedEvents events;
    if (script) script(events);
    options.undoRecord = &recorder;
    RunCalls calls = *options.calls;
    calls.swap.flushData = &watchedDataFlush;
    options.calls = &calls;
    ReplaceRun(options).run({{terms.first, terms.second, CompareMode::Binary}, FileList::of(files)}, events);
    journalSaid = events.journalReports;
  }
  std::vector<std::string> journalSaid;  // by the last run
  void TearDown() override { onDataFlush = nullptr; }
  std::string runFolder() const { return runsFolder() + "/" + namesIn(runsFolder()).back(); }

  std::string runsFolder() const { return state / "sorvane/runs"; }
  std::vector<journal::KeptRun> kept() const {
    std::string error;
    auto runs = journal::keptRuns(state.path(), error);
    EXPECT_EQ(error, "");
    return runs;
  }

  TempFolder state;
  TempFolder folder;
};

TEST_F(Journal, OnlyRunsThatWroteAreKeptAndUndoRestoresModeAndTimeUnderTheRunsLock) {
  const std::string a = folder / "a.txt", plain = folder / "plain.txt", changing = folder / "changing.txt";
  writeOld(a, "old a\r\n", 0640);
  writeOld(plain, "nothing", 0604);
  const auto aBefore = fileState(a);
  RunRecorder recorder(state.path(), "test");

  run(recorder, {a, plain});
  run(recorder, {a}, {}, {}, {"new", "newer"});
  // Runs that put nothing in place leave nothing behind, not even a link, and undo goes past them.
  writeFile(changing, "old c");
  const std::vector<std::string> keptRuns = namesIn(runsFolder());
  for (const std::string how : {"dry run", "no term", "changed", "changed, abort", "flush failed", "stopped"}) {
    onDataFlush = [&](const std::string&) {
      if (how.starts_with("changed")) writeFile(changing, readFile(changing) + "+");
      return how == "flush failed" ? EIO : 0;
    };
    const EngineOptions options{.yieldInterval = std::chrono::nanoseconds(0), .undoRecord = &recorder};
    ScriptedEvents dryRunEvents;
    if (how == "dry run")
      ReplaceRun(options).run({{"old", "new", CompareMode::Binary}, FileList::of({changing}), true}, dryRunEvents);
    else
      run(recorder, {how == "no term" ? plain : changing}, options, [&](ScriptedEvents& events) {
        events.answers = {how == "changed, abort" ? MessageAnswer::Abort : MessageAnswer::Ignore};
        events.onYield = [&] { events.abandon = how == "stopped" && fs::hard_link_count(changing) > 1; };
      });
    EXPECT_EQ(std::pair(namesIn(runsFolder()), fs::hard_link_count(changing)), std::pair(keptRuns, std::uintmax_t{1})) << how;
  }

  // Undo locks the journal to choose a run, not while files go back; the run's lock, all along.
  bool journalFree = false, runHeld = false;
  const journal::UndoOptions options{.progress = [&](std::size_t, std::size_t) {
    const FileDescriptor lock(::open((runsFolder() + "/.lock").c_str(), O_RDONLY));
    // The history listing beside it may hold the journal's lock for a moment: try a while.
    for (int tries = 0; tries < 100 && !journalFree; ++tries) {
      journalFree = ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0;
      if (!journalFree) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const FileDescriptor run(::open(runFolder().c_str(), O_RDONLY | O_DIRECTORY));
    runHeld = !journal::tryLockRun(run.get());
  }};
  std::string error;
  auto held = std::make_optional<journal::JournalFolder::Lock>(*journal::JournalFolder::open(state.path(), false, error));
  auto undo = std::async(std::launch::async, [&] { return undoLastRun(state.path(), options); });
  auto history = std::async(std::launch::async, [&] { return kept(); });
  EXPECT_EQ(undo.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
  EXPECT_EQ(history.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
  held.reset();
  EXPECT_TRUE(undo.get().complete());
  EXPECT_EQ(std::tuple(history.get().size(), journalFree, runHeld, readFile(a)), std::tuple(2u, true, true, "new a\r\n"));
  EXPECT_TRUE(undoLastRun(state.path(), {.move = &renameWithoutSwap}).complete() && fileState(a) == aBefore);
  EXPECT_EQ(journal::texts::historyLine(*kept().at(1).record, false).substr(19),
            "  test  \"old\" \u2192 \"new\"  1 file  1 replacement  taken back");
}

// Per batch: originals linked and new contents flushed, the records made durable once, the
// renames in run order, one flush of the folder; with one thread or several. A retried file is
// recorded again, durably before its rename, and keeps one record: its retry's.
TEST_F(Journal, BatchFlushesDataThenRecordsThenRenamesThenTheFolder) {
  const std::string sync = "sync " + fs::path(folder.path()).filename().string();
  const std::vector<std::string> retriedInTwoBatches = {
      "flush folder", "data new a", "data new b", "link", "link", "flush 2 records", "flush folder", "rename a.txt",
      "data new bx", "link", "flush 2 records", "flush folder", "rename b.txt", sync, "data new c", "link",
      "flush 3 records", "flush folder", "rename c.txt", sync};
  const std::vector<std::string> oneBatch = {"flush folder", "data new a", "data new b", "data new c", "link", "link",
                                             "link", "flush 3 records", "flush folder", "rename a.txt",
                                             "rename b.txt", "rename c.txt", sync};
  for (const auto& [jobs, batchFiles, expected, retry] :
       {std::tuple{1, 2, retriedInTwoBatches, true}, std::tuple{3, 3, oneBatch, false}}) {
    for (const std::string name : {"a", "b", "c"}) writeFile(folder / (name + ".txt"), "old " + name);
    events.clear();
    onDataFlush = [&](const std::string& content) {
      if (retry && content == "new b") writeFile(folder / "b.txt", "old bx");
      return 0;
    };
    RunRecorder recorder(state.path(), "test", {}, {&watchedLink, &watchedFlush});
    const RunCalls calls{.swap = {.rename = &recordedRename, .flushFolder = &watchedFolderFlush}};
    const EngineOptions options{.jobs = jobs, .batch = {.files = static_cast<std::size_t>(batchFiles)}, .calls = &calls};
    run(recorder, {folder / "a.txt", folder / "b.txt", folder / "c.txt"}, options,
        [](ScriptedEvents& events) { events.answers = {MessageAnswer::Retry}; });
    EXPECT_EQ(withStretchesSorted(events), expected) << jobs << " jobs";
    const journal::RunRecord record = kept().at(0).record.value();
    EXPECT_EQ(record.files.at(0).kept, Kept::Link);
    // In run order, each with the status-change time its rename gave it.
    std::vector<std::string> recorded;
    for (const journal::FileRecord& file : record.files) {
      recorded.push_back(fs::path(file.path).filename());
      const timespec placed = file.placedChange.value_or(timespec{}), now = statusOf(file.path).st_ctim;
      EXPECT_EQ(std::pair(placed.tv_sec, placed.tv_nsec), std::pair(now.tv_sec, now.tv_nsec));
    }
    EXPECT_EQ(recorded, (std::vector<std::string>{"a.txt", "b.txt", "c.txt"})) << jobs << " jobs";
    // Cut off before its end, the run still holds one record of the retried file.
    const std::string manifest = readFile(runFolder() + "/manifest");
    EXPECT_EQ(journal::parseManifest(manifest.substr(0, manifest.find("\nend ") + 1))->files.size(), 3u);
    EXPECT_TRUE(undoLastRun(state.path()).complete() && readFile(folder / "b.txt") == (retry ? "old bx" : "old b"))
        << jobs << " jobs";
  }
}

// On another file system the original is copied without its holes, so a sparse file's copy fits
// a small limit; where holes cannot be told, all is copied, and a copy past the limit dropped.
TEST_F(Journal, OnAnotherFileSystemTheOriginalIsCopiedAndComesBack) {
  const bool haveShm =
      statusOf("/dev/shm").st_dev != statusOf(folder.path()).st_dev && ::access("/dev/shm", W_OK) == 0;
  std::optional<TempFolder> elsewhere;
  if (haveShm) elsewhere.emplace("/dev/shm");
  const std::string path = folder / "a.txt";
  const JournalLimits small{10, 1 << 20};
  // Where holes cannot be told from data, a search for them fails.
  const journal::JournalCalls exdev{.link = failing<EXDEV, LinkCall>},
      blind{.link = failing<EXDEV, LinkCall>, .seek = failing<EINVAL, SeekCall>};
  std::vector<std::tuple<const char*, off_t, std::string, journal::JournalCalls, JournalLimits, Kept>> cases = {
      {"forced EXDEV", 0, state.path(), exdev, {}, Kept::Copy},
      {"sparse", 8 << 20, state.path(), exdev, small, Kept::Copy},
      {"holes not told", 0, state.path(), blind, {}, Kept::Copy},
      {"holes not told, past the limit", 8 << 20, state.path(), blind, small, Kept::None}};
  if (haveShm) cases.emplace_back("/dev/shm", 0, elsewhere->path(), journal::JournalCalls{}, JournalLimits{}, Kept::Copy);
  // A copy made beside the file would take the folder's default access list, which lets
  // "nobody" read it: undo gives the file its own attributes, and no list it did not have.
  setAttribute(folder.path(), "system.posix_acl_default", accessListReadableByNobody());
  std::size_t runs = 0;
  for (const auto& [what, length, stateHome, calls, limits, kept] : cases) {
    SCOPED_TRACE(what);
    // Set-id bits come back with their owner.
    writeOld(path, std::string(300000, 'x') + "old\r\n", 06750, length);
    ::removexattr(path.c_str(), "system.posix_acl_access");
    setAttribute(path, "user.origin", "kept");
    const auto before = std::pair(fileState(path), attributesOf(path));
    RunRecorder recorder(stateHome, "test", limits, calls);
    run(recorder, {path});
    EXPECT_EQ(readFile(path).substr(300000, 5), "new\r\n");
    const UndoOutcome outcome = undoLastRun(stateHome);
    ASSERT_EQ(outcome.run.files.size(), 1u);
    EXPECT_EQ(std::pair(outcome.run.files[0].kept, outcome.complete()), std::pair(kept, kept == Kept::Copy));
    EXPECT_LE(outcome.run.files[0].keptBytes, limits.bytes);
    // A copy past the limit is not kept, so no older run made room for it.
    if (stateHome == state.path()) EXPECT_EQ(this->kept().size(), ++runs);
    if (kept == Kept::Copy) EXPECT_TRUE(std::pair(fileState(path), attributesOf(path)) == before);
  }
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"a.txt"});
  if (haveShm) {
    // Stacked undos: the newer run's undo put back a copy, with an inode of its own, which the
    // older run knows by what that undo recorded of it.
    writeOld(path, "old", 0644);
    const auto before = fileState(path);
    RunRecorder recorder(elsewhere->path(), "test");
    run(recorder, {path});
    const FileDescriptor heldOpen(::open(path.c_str(), O_RDONLY));  // so the copy cannot reuse its inode
    run(recorder, {path}, {}, {}, {"new", "newer"});
    EXPECT_TRUE(undoLastRun(elsewhere->path()).complete() && undoLastRun(elsewhere->path()).complete() &&
                fileState(path) == before);
  }
  if (!haveShm) GTEST_SKIP() << "no /dev/shm on another file system: only the forced EXDEV was tried";
}

TEST_F(Journal, PruningKeepsTheNewestRunsWithinTheLimitAndNeverARunInProgress) {
  for (int i = 0; i < 5; ++i) writeFile(folder / ("small" + std::to_string(i) + ".txt"), "old");
  writeFile(folder / "busy.txt", "old");
  const std::string big = folder / "big.txt", large = folder / "large.txt";
  writeFile(large, "old" + std::string(100000, 'l'));
  const auto diskBytes = [](const std::string& path) { return std::uint64_t(statusOf(path).st_blocks) * 512; };
  // Room for the large file beside one small run, not beside two.
  const std::uint64_t limit = diskBytes(large) + diskBytes(folder / "busy.txt");
  writeFile(big, "old" + std::string(2 * limit, 'b'));
  const JournalLimits limits{3, limit};

  // Another process's run, still writing: it holds its folder's lock all along.
  RunRecorder concurrent(state.path(), "other", limits);
  concurrent.runStarted({"old", "new", CompareMode::Binary}, {});
  const std::string busy = folder / "busy.txt";
  const FileDescriptor parent(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY));
  const FileDescriptor file(::open(busy.c_str(), O_RDONLY));
  concurrent.keepOriginal({parent.get(), "busy.txt", busy, file.get(), statusOf(busy)}, FileFingerprint{}, ".sorvane-busy00.tmp");
  concurrent.makeKeptDurable();

  prunedFolder = runsFolder();
  fs::create_directory(runsFolder() + "/.gone-killed");  // as a deletion cut off leaves it
  RunRecorder recorder(state.path(), "test", limits,
                       {.lock = &lockTriedByAnother, .readRun = &countedRead, .removePutAway = &removalNoted});
  for (int i = 0; i < 5; ++i) run(recorder, {folder / ("small" + std::to_string(i) + ".txt")});
  EXPECT_EQ(freedWhilePruning, std::vector<std::string>{}) << "pruning let go of a run before it was done with it";
  // Only the run in progress is read whole; the pruned ones wait, untouched, for their deletion.
  EXPECT_EQ(std::pair(wholeReads, removals), std::pair(5, 5));
  std::vector<std::string> putAway;
  for (const std::string& name : namesIn(runsFolder()))
    if (name.starts_with(".gone-2")) putAway.push_back(namesIn(runsFolder() + "/" + name).at(0));
  EXPECT_EQ(putAway, std::vector<std::string>(3, "1"));
  journal::removePutAwayRuns(FileDescriptor(::open(runsFolder().c_str(), O_RDONLY | O_DIRECTORY)).get());
  EXPECT_EQ(namesIn(runsFolder()).size(), 4u) << "the lock and three runs";
  auto runs = kept();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(std::pair(runs[0].record->files.at(0).path, runs[1].record->files.at(0).path),
            std::pair(folder / "small4.txt", folder / "small3.txt"));
  EXPECT_EQ(journal::texts::historyLine(*runs[2].record, runs[2].inProgress).substr(19),
            "  other  \"old\" \u2192 \"new\"  0 files  did not finish  in progress");

  // Past the limit a file is rewritten without a copy; older runs make room for the newest.
  const auto largeBefore = fileState(large);
  run(recorder, {big, large});
  EXPECT_EQ(readFile(big), "new" + std::string(2 * limit, 'b'));
  EXPECT_EQ(journalSaid, std::vector<std::string>{big + ": cannot be taken back (no room for its original within the "
                                                    "journal's limit)"});
  runs = kept();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_TRUE(journal::texts::historyLine(*runs[0].record, false).find("  2 files (1 without a copy)  ") != std::string::npos &&
              runs[1].inProgress);
  EXPECT_LE(runs[0].record->keptBytes() + runs[1].record->keptBytes(), limit);

  const UndoOutcome outcome = undoLastRun(state.path());
  EXPECT_EQ(fileState(large), largeBefore);
  ASSERT_EQ(outcome.leftAlone.size(), 1u);
  EXPECT_EQ(outcome.leftAlone[0].path + ": " + outcome.leftAlone[0].reason, big + ": no copy was kept");
  EXPECT_EQ(undoLastRun(state.path()).kind, UndoOutcome::Kind::InProgress);
}

TEST_F(Journal, HostileJournalIsRefusedWholeAndUndoFollowsNoLink) {
  fs::create_directory(folder / "sub");
  const std::string a = folder / "a.txt", b = folder / "sub/b.txt", c = folder / "c.txt", victim = folder / "victim",
                    d = folder / "d.txt";
  for (const std::string& path : {a, b, c, d}) writeFile(path, "old");
  writeFile(victim, "vic");  // as long as the original it stands in for
  RunRecorder recorder(state.path(), "test");
  run(recorder, {d, a, b, c});
  const std::string runFolder = this->runFolder(), manifest = runFolder + "/manifest", text = readFile(manifest);
  // Each journal is spoilt in its own way, then put back as it was.
  const TempFolder saved;
  // With their times, by which undo knows a kept original.
  const auto copyJournal = [](const std::string& from, const std::string& to) {
    ASSERT_EQ(std::system(("cp -a '" + from + "/.' '" + to + "'").c_str()), 0);
  };
  copyJournal(state / "sorvane", saved.path());

  std::vector<std::tuple<const char*, std::function<void()>, std::string>> cases = {
      {"relative path", [&] { writeFile(manifest, std::string(text).replace(text.find(c), c.size(), "c.txt")); },
       "its manifest cannot be read"},
      {"unknown line", [&] { writeFile(manifest, text + "file 9 /tmp/x.txt\n"); }, "its manifest cannot be read"},
      {"manifest a link", [&] { turnIntoLink(manifest); }, "its manifest cannot be opened"},
      {"journal open to others", [&] { ::chmod(runsFolder().c_str(), 0755); }, "is open to others"},
      {"journal a link", [&] { turnIntoLink(runsFolder()); }, "is a symbolic link"},
  };
  if (::geteuid() == 0)
    cases.push_back({"journal not the user's",
                     [&] { ASSERT_EQ(::chown(runFolder.c_str(), unprivilegedUser(), unprivilegedGroup()), 0); },
                     "is not yours"});
  for (const auto& [what, spoil, says] : cases) {
    spoil();
    const UndoOutcome outcome = undoLastRun(state.path());
    EXPECT_TRUE(outcome.kind == UndoOutcome::Kind::Refused && outcome.error.find(says) != std::string::npos)
        << what << ": " << outcome.error;
    EXPECT_EQ(readFile(a) + readFile(b) + readFile(c), "newnewnew") << what;
    fs::remove_all(state / "sorvane");
    fs::create_directory(state / "sorvane");
    copyJournal(saved.path(), state / "sorvane");
  }

  // A kept original turned into a link, a folder on a recorded path turned into one, and a kept
  // original changed through another of its names, its size kept.
  fs::remove(runFolder + "/2");
  fs::create_symlink(victim, runFolder + "/2");
  writeFile(runFolder + "/1", "OLD");  // as through another name of d's original
  turnIntoLink(folder / "sub");
  const UndoOutcome outcome = undoLastRun(state.path());
  EXPECT_EQ(outcome.restored, std::vector<std::string>{c});
  ASSERT_EQ(outcome.leftAlone.size(), 3u);
  EXPECT_EQ(outcome.leftAlone[0].path + ", " + outcome.leftAlone[1].path + ": " + outcome.leftAlone[1].reason + ", " +
                outcome.leftAlone[2].path + ": " + outcome.leftAlone[2].reason,
            b + ", " + a + ": the journal's copy is missing or damaged, " + d +
                ": the journal's copy is missing or damaged");
  EXPECT_EQ(readFile(a) + readFile(folder / "sub-real/b.txt") + readFile(victim) + readFile(c) + readFile(d),
            "newnewvicoldnew");
}

// A failing journal (lock taken, disk full in the header or a record) says so once, keeps what
// it recorded before, and names once each file it cannot take back, even when retried.
TEST_F(Journal, AFailingJournalSaysSoOnceAndNamesEachFileItCannotTakeBack) {
  const std::string a = folder / "a.txt", b = folder / "b.txt", c = folder / "c.txt";
  const std::string full = std::string(": ") + std::strerror(ENOSPC);
  const journal::JournalCalls filling{.flush = &watchedFlush, .write = &fillingDisk};
  using Files = std::vector<std::string>;
  for (const auto& [fillsAt, calls, failure, restored] :
       {std::tuple{"", journal::JournalCalls{.lock = &lockTakenByAnother},
                   ": a new run cannot be locked: " + std::string(std::strerror(EWOULDBLOCK)), Files{}},
        std::tuple{"sorvane-journal", filling, full, Files{}}, std::tuple{"file 2 ", filling, full, Files{a}}}) {
    for (const std::string& path : {a, b, c}) writeFile(path, "old " + path);
    fullAt = fillsAt, events.clear();
    onDataFlush = [&](const std::string& content) {
      if (content == "new " + b) writeFile(b, "old " + b + "+");  // b is retried
      return 0;
    };
    RunRecorder recorder(state.path(), "test", {}, calls);
    const std::vector<std::string>& reports = journalSaid;
    run(recorder, {a, b, c}, {}, [](ScriptedEvents& events) { events.answers = {MessageAnswer::Retry}; });
    Files named;
    for (const std::string& path : {a, b, c})
      if (std::count(restored.begin(), restored.end(), path) == 0)
        named.push_back(path + ": cannot be taken back (the journal failed)");
    ASSERT_EQ(reports.size(), named.size() + 1) << fillsAt;
    EXPECT_TRUE(reports[0].ends_with(failure + "; nothing more of this run is kept for undo")) << reports[0];
    EXPECT_EQ(Files(reports.begin() + 1, reports.end()), named) << fillsAt;
    EXPECT_EQ(std::count(events.begin(), events.end(), "flush 1 records") > 0, !restored.empty())
        << "what was recorded before the failure is durable before its file's rename";
    // Nothing is kept for a file without a record, nor a run that can keep nothing.
    EXPECT_EQ(namesIn(restored.empty() ? runsFolder() : runFolder()),
              (restored.empty() ? Files{".lock"} : Files{"1", "kept-bytes", "manifest"})) << fillsAt;
    const UndoOutcome outcome = undoLastRun(state.path());
    EXPECT_EQ(std::tuple(outcome.restored, outcome.error, outcome.leftAlone.size()), std::tuple(restored, "", 0u)) << fillsAt;
  }
}

// A file left for a passing reason gets one more undo; left again, it is named with its original
// and older runs follow. A change that keeps size and time is still a change. A torn mark is cut.
TEST_F(Journal, FilesLeftForAPassingReasonAreTriedOnceMoreThenNamedAndOlderRunsFollow) {
  const std::string older = folder / "older.txt", a = folder / "a.txt", b = folder / "b.txt", c = folder / "c.txt",
                    edited = folder / "d.txt", replaced = folder / "e.txt";
  for (const std::string& path : {older, a, b, c, edited, replaced}) writeFile(path, "old");
  RunRecorder recorder(state.path(), "test");
  run(recorder, {older});
  run(recorder, {a, b, c, edited, replaced});
  writeWithTimesOf(edited, "NEW", edited);
  writeWithTimesOf(replaced + ".other", "NEW", replaced);
  fs::rename(replaced + ".other", replaced);

  const std::string runPath = runFolder();
  using Left = std::vector<std::pair<std::string, std::string>>;  // each file and where its original is named
  const std::vector<std::tuple<std::map<std::string, int>, std::string, std::vector<std::string>, Left, std::string>>
      attempts = {
      {{{"b.txt", ENOSPC}, {"c.txt", EACCES}}, ", 5 files", {a}, {{replaced, ""}, {edited, ""}, {c, ""}, {b, ""}},
       "Restored 1 file. 4 left alone; the next undo tries the rest of the run."},
      {{{"c.txt", EROFS}}, ", 4 of 5 files", {b},
       {{replaced, runPath + "/5"}, {edited, runPath + "/4"}, {c, runPath + "/3"}}, "Restored 1 file. 3 left alone."},
  };
  for (const auto& [failing, subject, restored, expectedLeft, report] : attempts) {
    failingRestores = failing;
    const UndoOutcome outcome = undoLastRun(state.path(), {.move = &failingMove});
    EXPECT_TRUE(journal::texts::undoSubject(outcome.run).ends_with(subject)) << report;
    EXPECT_EQ(outcome.restored, restored);
    Left left;
    for (const journal::LeftAlone& file : outcome.leftAlone) {
      left.emplace_back(file.path, file.original);
      if (!file.original.empty()) EXPECT_EQ(readFile(file.original), "old") << file.path;
      if (file.path != c && file.path != b) EXPECT_EQ(file.reason, "changed since the run") << file.path;
    }
    EXPECT_EQ(std::pair(left, journal::texts::undoReport(outcome, false)), std::pair(expectedLeft, report));
    std::ofstream(runPath + "/manifest", std::ios::app) << "restored 3";  // as a full disk or a kill leaves it
  }
  failingRestores.clear();
  EXPECT_EQ(readFile(a) + readFile(b) + readFile(c) + readFile(edited) + readFile(replaced), "oldoldnewNEWNEW");
  EXPECT_TRUE(undoLastRun(state.path()).complete() && readFile(older) == "old");
}

// Set-id bits come back only with their owner: they would lend the rights of whoever undoes.
// The undo after a killed one takes back only the rest, and says how many the killed one put back,
// with the journal beside the files (swapped names) and on another file system (copies).
TEST_F(Journal, AnUndoAfterAKilledOneKnowsWhatItPutBack) {
  std::vector<std::string> stateHomes = {state.path()};
  std::optional<TempFolder> elsewhere;
  if (statusOf("/dev/shm").st_dev != statusOf(folder.path()).st_dev) stateHomes.push_back(elsewhere.emplace("/dev/shm").path());
  const std::vector<std::string> files = {folder / "a.txt", folder / "b.txt", folder / "c.txt"};
  for (const std::string& stateHome : stateHomes) {
    SCOPED_TRACE(stateHome);
    for (const std::string& path : files) writeOld(path, "old", 0640);
    RunRecorder recorder(stateHome, "test");
    run(recorder, files);
    inKilledChild([&] { undoLastRun(stateHome, {.move = &killedOnSecondRename<true>}); });
    const UndoOutcome outcome = undoLastRun(stateHome);
    EXPECT_EQ(std::pair(outcome.complete(), journal::texts::undoReport(outcome, false)),
              std::pair(true, std::string("Restored 1 file. 2 more had been restored by an undo that was cut off.")));
    for (const std::string& path : files) EXPECT_EQ(readFile(path), "old") << path;
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  }
}

// The new content a killed run left under its temporary name goes with the next run, or the undo:
// killed as it renames its second file, or, without unnamed files, as it creates its second.
TEST_F(Journal, WhatAKilledRunLeftBesideItsFileIsRemovedByTheNextRunOrTheUndo) {
  const std::string a = folder / "a.txt", b = folder / "b.txt";
  const RunCalls onRename{.swap = {.rename = &killedOnSecondRename<false>}},
      named{.swap = {.createUnnamed = &namedAndKilledOnSecond}};
  for (const auto& [calls, jobs] : {std::pair{&onRename, 1}, std::pair{&named, 2}})
    for (const bool undo : {false, true}) {
      const bool renamed = calls == &onRename;
      SCOPED_TRACE(std::string(renamed ? "renaming" : "named") + (undo ? ", then undo" : ", then the next run"));
      for (const std::string& path : {a, b}) writeFile(path, "old");
      RunRecorder recorder(state.path(), "test");
      inKilledChild([&] { run(recorder, {b, a}, {.jobs = jobs, .calls = calls}); });
      ASSERT_EQ(namesIn(folder.path()).size(), 3u) << "no temporary name was left to remove";
      // Counted by the files it put in place, not by its records.
      if (renamed)
        EXPECT_EQ(journal::texts::historyLine(*kept().at(0).record, false).substr(19),
                  "  test  \"old\" \u2192 \"new\"  1 file  did not finish  not taken back");
      if (undo)
        EXPECT_EQ(journal::texts::undoReport(undoLastRun(state.path()), false).starts_with("Restored 1 file."), renamed);
      else
        run(recorder, {b}, {}, {}, {readFile(b), "old"});
      EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
      if (renamed) EXPECT_EQ(readFile(a) + readFile(b), "oldold");
    }
}

TEST_F(Journal, SetIdBitsComeBackOnlyWithTheirOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make a file that another user takes back";
  const std::string path = folder / "tool";
  writeOld(path, "old", 06775);
  // Kept as a copy, as for a user whom the kernel refuses a link to a set-id file.
  RunRecorder recorder(state.path(), "test", {}, journal::JournalCalls{.link = failing<EXDEV, LinkCall>});
  run(recorder, {path});
  // The journal and the folder are the user's, as they would be had the user run it.
  for (const auto& entry : fs::recursive_directory_iterator(state.path()))
    ::lchown(entry.path().c_str(), unprivilegedUser(), unprivilegedGroup());
  for (const std::string& own : {state.path(), folder.path()}) ::chown(own.c_str(), unprivilegedUser(), unprivilegedGroup());
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(::setgroups(0, nullptr) == 0 && ::setegid(unprivilegedGroup()) == 0 && ::seteuid(unprivilegedUser()) == 0 &&
            undoLastRun(state.path()).complete() ? 0 : 1);
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(std::tuple(status, statusOf(path).st_mode & 07777, readFile(path)), std::tuple(0, 0775u, "old"));
}

}  // namespace
}  // namespace sorvane::testing
