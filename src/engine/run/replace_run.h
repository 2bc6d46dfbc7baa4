#pragma once

#include "engine/files/file_rewrite.h"
#include "engine/files/replacement_file.h"
#include "engine/files/run_journal.h"
#include "engine/files/yielder.h"
#include "engine/run/folder_listing.h"
#include "engine/run/host.h"
#include "engine/text/stream_rewriter.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sorvane {

class EncodedTerms;
class WorkerPool;

// How many rewritten files wait for one flush of the journal and of their folders: each holds a
// few descriptors until it is in place. Files without an occurrence hold none, and wait for
// the files before them in far greater numbers.
struct BatchLimits {
  std::size_t files = 64;
  std::uint64_t bytes = std::uint64_t{64} << 20;
  std::size_t unchangedFiles = 4096;
};

// One thread per processor that is online: how many jobs a run takes unless told otherwise.
int onlineProcessors();

// How a host wants its runs carried out.
struct EngineOptions {
  bool dryRun = false;  // count occurrences, write nothing
  std::size_t bufferCapacity = StreamRewriter::kDefaultCapacity;
  std::chrono::nanoseconds yieldInterval = Yielder::kDefaultInterval;
  SwapCalls swap;
  ReadEntryCall readEntry = &::readdir;  // how folder runs read folders
  RunJournal* journal = nullptr;  // keeps what each run replaces; none for a host without undo
  // 1: files are read and written on the run's own thread, and only flushed on helper threads.
  // More: that many threads read and write files ahead, while the run's thread puts them in
  // place in run order.
  int jobs = 1;
  BatchLimits batch;
};

// The replace run: from the Replace command to the report, over the file list or a folder
// tree, every file rewritten safely. It talks to its host only through ReplaceHost, and only on
// the thread that called cmdReplace_Click.
//
// Files are put in place in batches: each file's new content is written to a temporary file
// and flushed; then, for the batch, the journal is made durable once, the files are renamed in
// run order, and each folder they went into is flushed once. A failure is shown for its file in
// run order, after the files before it are in place.
class ReplaceEngine {
 public:
  explicit ReplaceEngine(ReplaceHost& host, EngineOptions options = {});
  ~ReplaceEngine();
  ReplaceEngine(const ReplaceEngine&) = delete;  // bound to one host
  ReplaceEngine& operator=(const ReplaceEngine&) = delete;

  // The Replace command: the whole run, report included.
  void cmdReplace_Click();

  // Appends `sItem` to a recent-term list unless an entry already contains it.
  static void ListAddItem(RecentTermList& lst, const std::string& sItem, CompareMode CaseSense);

  // The run state, readable after a run.
  const std::string& findTerm() const { return strFindTerm; }
  const std::string& replaceTerm() const { return strReplaceTerm; }
  CompareMode compareMode() const { return nCompare; }
  std::int64_t replacements() const { return nReplacements; }
  bool stopped() const { return bStop; }
  // True when the host's request to go away ended the run (no report was shown).
  bool abandoned() const { return bAbandoned; }

 private:
  struct PendingFile;
  struct TouchedFolder;
  using Pending = std::shared_ptr<PendingFile>;

  // Rewrites one file, asking the user what to do when it fails; it may be put in place later,
  // with its batch.
  void FindAndReplace(const FileToRewrite& myFile);
  // Rewrites the matching files of a folder and, when asked, of every folder below it.
  void FindFilesAPI(std::string path, const std::string& SearchStr);
  // Walks the folder `name` of the folder open as `parent`; `path` names it, ending in "/".
  bool walkFolder(int parent, const std::string& name, const std::string& path, const class NamePattern& pattern);
  bool ended() const { return bStop || bAbandoned; }

  // The batch (replace_batch.cpp); all on the run's thread but prepareAhead() and the tasks of
  // flushAhead() and flushFolders().
  void startBatches();
  Result<PreparedRewrite> prepare(const FileToRewrite& file, Yielder& yielder);
  void prepareAhead(PendingFile& file);
  void flushAhead(const Pending& file);
  void waitUntilReady(const PendingFile& file);
  // Moves the files the helpers finished, from the front, into the batch, waiting while more
  // than `keepAhead` are ahead.
  void takeReady(std::size_t keepAhead);
  void accept(Pending file);
  void publishBatch();
  void publishInOrder(PendingFile& file, std::vector<TouchedFolder>& folders);
  static void noteFolder(int fd, std::vector<TouchedFolder>& folders);
  void flushFolders(const std::vector<TouchedFolder>& folders);
  // The host's yield said to end the run: it is going away, or the user pressed Stop.
  void endedByHost();
  // Shows a failure; true when the user asks to try the file again.
  bool retryAfter(const std::string& path, const Failure& failure);
  // Puts every file handed in so far in place, or at a stop, drops them.
  void publishAll();
  void endBatches();

  ReplaceHost& host_;
  EngineOptions options_;
  std::unique_ptr<EncodedTerms> terms_;
  std::unique_ptr<Yielder> yielder_;
  std::unique_ptr<RewriteJob> job_;
  std::deque<Pending> ahead_;  // handed to the helpers, in run order
  std::vector<Pending> batch_;  // prepared, in run order, waiting to be put in place
  std::size_t batchReplacing_ = 0;  // the files of the batch that replace something
  std::uint64_t batchBytes_ = 0;
  std::mutex readyMutex_;
  std::condition_variable readySignal_;
  std::atomic<bool> cancel_{false};  // tells the helpers to drop what they have not done
  // Declared last, so joined first, while what they use stands.
  std::unique_ptr<WorkerPool> helpers_;   // read and write files ahead (more than one job)
  std::unique_ptr<WorkerPool> flushers_;  // flush files and folders

  std::string strFindTerm;
  std::string strReplaceTerm;
  CompareMode nCompare = CompareMode::Text;
  std::int64_t nReplacements = 0;
  std::int64_t filesReplaced_ = 0;  // put in place, for the journal
  bool bStop = false;
  int nFileIndex = 0;
  bool bAbandoned = false;
};

}  // namespace sorvane
