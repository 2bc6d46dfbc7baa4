#include "engine/file_rewrite.h"

#include "engine/source_file.h"
#include "engine/text_rewrite.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace sorvane {
namespace {

class CountingSink final : public RewriteSink {
 public:
  bool keep(std::string_view) override { return true; }
  bool replace(std::string_view) override { return true; }
};

// The path whose name the new content must take: the file itself, not a link to it.
bool resolveLinks(const std::string& path, std::string& target, Failure& failure) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
    target = path;
    return true;
  }
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
  if (!resolved) {
    failure = failureFromErrno(errno, path);
    return false;
  }
  target = resolved.get();
  return true;
}

RewriteOutcome endedBySource(const SourceFile& source) {
  return source.stopped() ? RewriteOutcome::stopped() : RewriteOutcome::failed(*source.failure());
}

}  // namespace

RewriteOutcome rewriteFile(const std::string& path, const RewriteJob& job, Yielder& yielder) {
  SourceFile source(yielder);
  if (!source.open(path)) return RewriteOutcome::failed(*source.failure());
  TextRewrite text(source, job.terms, job.bufferCapacity);
  if (!text.start()) return endedBySource(source);
  // Read as UTF-16, its characters would be garbled; it is left as it is.
  if (text.encoding() == TextEncoding::Utf32) return RewriteOutcome::failed(notTextFailure());
  if (text.matcher().findsNothing()) return RewriteOutcome::done(0);

  if (job.dryRun || !text.replacement()) {
    CountingSink counter;
    if (!text.run(counter)) return endedBySource(source);
    if (!job.dryRun && text.occurrences() > 0) return RewriteOutcome::failed(unwritableReplacementFailure());
    return RewriteOutcome::done(text.occurrences());
  }

  std::string target;
  Failure linkFailure;
  if (!resolveLinks(path, target, linkFailure)) return RewriteOutcome::failed(linkFailure);

  ReplacementFile replacement(target, source.descriptor(), source.openedStatus(), *text.replacement(), job.rename);
  if (!text.run(replacement)) {
    if (source.stopped()) return RewriteOutcome::stopped();
    return RewriteOutcome::failed(source.failure() ? *source.failure() : *replacement.failure());
  }
  if (text.occurrences() == 0) return RewriteOutcome::done(0);

  // Another program wrote to the file while it was read: swapping now would drop its bytes.
  if (!source.unchangedSinceOpened(target)) return RewriteOutcome::failed(failureFromErrno(EBUSY, target));
  if (!replacement.commit()) return RewriteOutcome::failed(*replacement.failure());
  return RewriteOutcome::done(text.occurrences());
}

}  // namespace sorvane
