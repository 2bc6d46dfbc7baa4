#pragma once

#include "engine/file_rewrite.h"
#include "engine/host.h"
#include "engine/replacement_file.h"
#include "engine/run_journal.h"
#include "engine/stream_rewriter.h"
#include "engine/yielder.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace sorvane {

class EncodedTerms;

// How a host wants its runs carried out; the window uses the defaults.
struct EngineOptions {
  bool dryRun = false;  // count occurrences, write nothing
  std::size_t bufferCapacity = StreamRewriter::kDefaultCapacity;
  std::chrono::nanoseconds yieldInterval = Yielder::kDefaultInterval;
  SwapCalls swap;
  RunJournal* journal = nullptr;  // keeps what each run replaces; none for a host without undo
};

// The replace run: from the Replace command to the report, over the file list or a folder
// tree, every file rewritten safely. It talks to its host only through ReplaceHost.
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
  // True when the host's stop request ended the run (no report was shown).
  bool abandoned() const { return bAbandoned; }

 private:
  // Rewrites one file, asking the user what to do when it fails.
  void FindAndReplace(const FileToRewrite& myFile);
  // Rewrites the matching files of a folder and, when asked, of every folder below it.
  void FindFilesAPI(std::string path, const std::string& SearchStr);
  // Walks the folder `name` of the folder open as `parent`; `path` names it, ending in "/".
  bool walkFolder(int parent, const std::string& name, const std::string& path, const class NamePattern& pattern);
  bool ended() const { return bStop || bAbandoned; }

  ReplaceHost& host_;
  EngineOptions options_;
  std::unique_ptr<EncodedTerms> terms_;
  std::unique_ptr<Yielder> yielder_;

  std::string strFindTerm;
  std::string strReplaceTerm;
  CompareMode nCompare = CompareMode::Text;
  std::int64_t nReplacements = 0;
  bool bStop = false;
  int nFileIndex = 0;
  bool bAbandoned = false;
};

}  // namespace sorvane
