#pragma once

#include "engine/encoded_terms.h"
#include "engine/failure.h"
#include "engine/replacement_file.h"
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
  RenameCall rename = &::rename;
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

// One attempt on one file, as text in the encoding its byte order mark announces. A file reached
// through a symbolic link is rewritten at the link's target, and the link stays a link.
RewriteOutcome rewriteFile(const std::string& path, const RewriteJob& job, Yielder& yielder);

}  // namespace sorvane
