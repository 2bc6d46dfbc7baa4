#include "engine/file_rewrite.h"

#include "engine/source_file.h"

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

}  // namespace

RewriteOutcome rewriteFile(const std::string& path, const RewriteJob& job, Yielder& yielder) {
  SourceFile source(yielder);
  if (!source.open(path)) return RewriteOutcome::failed(*source.failure());
  StreamRewriter rewriter(job.matcher, job.bufferCapacity);

  if (job.dryRun) {
    CountingSink counter;
    if (!rewriter.run(source, counter))
      return source.stopped() ? RewriteOutcome::stopped() : RewriteOutcome::failed(*source.failure());
    return RewriteOutcome::done(rewriter.occurrences());
  }

  std::string target;
  Failure linkFailure;
  if (!resolveLinks(path, target, linkFailure)) return RewriteOutcome::failed(linkFailure);

  ReplacementFile replacement(target, source.descriptor(), source.openedStatus(), std::string(job.replacement),
                              job.rename);
  if (!rewriter.run(source, replacement)) {
    if (source.stopped()) return RewriteOutcome::stopped();
    return RewriteOutcome::failed(source.failure() ? *source.failure() : *replacement.failure());
  }
  if (rewriter.occurrences() == 0) return RewriteOutcome::done(0);

  // Another program wrote to the file while it was read: swapping now would drop its bytes.
  if (!source.unchangedSinceOpened(target)) return RewriteOutcome::failed(failureFromErrno(EBUSY, target));
  if (!replacement.commit()) return RewriteOutcome::failed(*replacement.failure());
  return RewriteOutcome::done(rewriter.occurrences());
}

}  // namespace sorvane
