#pragma once

#include "engine/files/file_rewrite.h"
#include "engine/run/batch_host.h"
#include "engine/run/chosen_files.h"
#include "engine/run/engine_options.h"
#include "engine/run/host.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace sorvane {

class BatchPublisher;
class EncodedTerms;
class NamePattern;
class Yielder;

// One thread per processor that is online: how many jobs a run takes unless told otherwise.
int onlineProcessors();

// The replace run: from the Replace command to the report, over the file list or a folder
// tree, every file rewritten safely. It talks to its host only through ReplaceHost, and only on
// the thread that called cmdReplace_Click. It hands each file to a BatchPublisher, which puts
// the files in place in run order; a failure is shown for its file after the files before it.
class ReplaceEngine : private BatchHost {
 public:
  explicit ReplaceEngine(ReplaceHost& host, EngineOptions options = {});
  ~ReplaceEngine() override;
  ReplaceEngine(const ReplaceEngine&) = delete;  // bound to one host
  ReplaceEngine& operator=(const ReplaceEngine&) = delete;

  // The Replace command: the whole run, report included.
  void cmdReplace_Click();
  // The Replace of a preview: the same run over exactly the files it names, in its order, with
  // its terms. A file no longer as previewed fails; only its chosen occurrences are replaced.
  void replaceChosen(const ChosenRun& run);
  // What Replace checks first, and the Preview command too: that there is a file list or a
  // folder to work on (else the user is told so, and the answer is false); then the terms go
  // into the recent lists.
  bool checkInputsAndRecordTerms();

  // Appends `sItem` to a recent-term list unless an entry already contains it.
  static void ListAddItem(RecentTermList& lst, const std::string& sItem, CompareMode CaseSense);

  // The run state, readable after a run.
  const std::string& findTerm() const { return strFindTerm; }
  const std::string& replaceTerm() const { return strReplaceTerm; }
  CompareMode compareMode() const { return nCompare; }
  const EngineOptions& options() const { return options_; }
  std::int64_t replacements() const { return nReplacements; }
  bool stopped() const { return bStop; }
  // True when the host's request to go away ended the run (no report was shown).
  bool abandoned() const { return bAbandoned; }

 private:
  // From the terms to the report: `handFiles` hands the run its `files` files (0 when not
  // known beforehand), one by one.
  void runOver(const std::string& find, const std::string& replace, CompareMode compare, int files,
               const std::function<void()>& handFiles);
  // Rewrites one file, asking the user what to do when it fails; it may be put in place later,
  // with its batch.
  void FindAndReplace(FileToRewrite myFile);
  // FindAndReplace, then the host's turn; false once the run has ended.
  bool rewriteInTurn(FileToRewrite file);
  // Rewrites the matching files of a folder and, when asked, of every folder below it.
  void FindFilesAPI(std::string path, const std::string& SearchStr);
  // Walks the folder `name` of the folder open as `parent`; `path` names it, ending in "/".
  bool walkFolder(int parent, const std::string& name, const std::string& path, const NamePattern& pattern);

  // The run as its batches see it.
  void yield() override;
  bool ended() const override { return bStop || bAbandoned; }
  // The host's yield said to end the run: it is going away, or the user pressed Stop.
  void endedByHost() override;
  void fileDone(const std::string& path, std::int64_t replacements) override;
  // Shows a failure; true when the user asks to try the file again.
  bool retryAfter(const std::string& path, const Failure& failure) override;

  ReplaceHost& host_;
  EngineOptions options_;
  std::unique_ptr<EncodedTerms> terms_;
  std::unique_ptr<Yielder> yielder_;
  std::unique_ptr<BatchPublisher> batches_;  // during a run

  std::string strFindTerm;
  std::string strReplaceTerm;
  CompareMode nCompare = CompareMode::Text;
  std::int64_t nReplacements = 0;
  bool bStop = false;
  int nFileIndex = 0;
  bool bAbandoned = false;
};

}  // namespace sorvane
