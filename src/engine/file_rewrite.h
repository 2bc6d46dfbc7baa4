#pragma once

#include "engine/encoded_terms.h"
#include "engine/failure.h"
#include "engine/replacement_file.h"
#include "engine/run_journal.h"
#include "engine/stream_rewriter.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

class Yielder;

struct RewriteJob {
  EncodedTerms& terms;
  bool dryRun = false;  // count the occurrences, write nothing
  std::size_t bufferCapacity = StreamRewriter::kDefaultCapacity;
  SwapCalls swap;
  WriteTuning writing;
  RunJournal* journal = nullptr;
};

// A file to rewrite: a path as the user named it, or a name in a folder that a walk holds open,
// so that no limit on the length of a path limits how deep the file may lie.
struct FileToRewrite {
  std::string path;  // as the user sees it; opened by itself only when there is no folder
  int folder = -1;   // an open folder, or -1
  std::string name;  // the name within `folder`

  static FileToRewrite named(std::string path) { return {std::move(path), -1, {}}; }
};

struct RewriteOutcome {
  enum class Kind {
    Done,     // rewritten, or nothing to replace; `replacements` were written
    Failed,   // `failure` says why; the file is as it was
    Stopped,  // the host asked the run to stop; the file is as it was
  };
  Kind kind = Kind::Done;
  std::int64_t replacements = 0;
  Failure failure;

  static RewriteOutcome done(std::int64_t replacements) { return {Kind::Done, replacements, {}}; }
  static RewriteOutcome stopped() { return {Kind::Stopped, 0, {}}; }
  static RewriteOutcome failed(Failure failure) { return {Kind::Failed, 0, std::move(failure)}; }
};

// One attempt on one file, as text in the encoding its byte order mark announces. A file named by
// a path that is a symbolic link is rewritten at the link's target, and the link stays a link; a
// name in a folder must be the file itself.
RewriteOutcome rewriteFile(const FileToRewrite& file, const RewriteJob& job, Yielder& yielder);

}  // namespace sorvane
