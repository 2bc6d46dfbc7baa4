#pragma once

#include "engine/files/file_rewrite.h"
#include "engine/run/batch_host.h"
#include "engine/run/engine_options.h"
#include "engine/run/run_events.h"
#include "engine/run/run_request.h"

#include <cstdint>
#include <memory>
#include <string>

namespace sorvane {

class BatchPublisher;
class EncodedTerms;
class Yielder;

// One thread per processor that is online: how many jobs a run takes unless told otherwise.
int onlineProcessors();

// A replace run: the files of a request, every one rewritten safely, told to whoever started
// it through RunEvents, on the thread that called run(). It hands each file to a
// BatchPublisher, which puts the files in place in run order; a failure is told for its file
// after the files before it. The report is the caller's.
class ReplaceRun final : private BatchHost {
 public:
  explicit ReplaceRun(EngineOptions options = {});
  ~ReplaceRun() override;
  ReplaceRun(const ReplaceRun&) = delete;  // its batches hold on to it
  ReplaceRun& operator=(const ReplaceRun&) = delete;

  RunOutcome run(const RunRequest& request, RunEvents& events);
  const EngineOptions& options() const { return options_; }

 private:
  // Each tells the run's beginning, with the number of files when it is known, and goes over them.
  void runOver(std::monostate);
  void runOver(const FileList& files);
  void runOver(const PreviewedFiles& previewed);
  void runOver(const FolderRun& folder);
  // Rewrites one file, asking the user what to do when it fails; it may be put in place later,
  // with its batch.
  void FindAndReplace(FileToRewrite myFile);
  // FindAndReplace, then the events' turn; false once the run has ended.
  bool rewriteInTurn(FileToRewrite file);

  // The run as its batches see it.
  void yield() override;
  bool ended() const override { return bStop || bAbandoned; }
  // Taking the events ended the run: whoever started it is going away, or Stop was pressed.
  void endedByHost() override;
  void fileDone(const std::string& path, std::int64_t replacements) override;
  // Tells of a failure; true when the user asks to try the file again.
  bool retryAfter(const std::string& path, const Failure& failure) override;

  EngineOptions options_;
  RunEvents* events_ = nullptr;  // during a run
  RunCourse course_ = RunCourse::GoOn;  // what the events said last
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
