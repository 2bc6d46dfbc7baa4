#include "engine/file_rewrite.h"

#include "engine/file_descriptor.h"
#include "engine/source_file.h"
#include "engine/text_rewrite.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>

namespace sorvane {
namespace {

class CountingSink final : public RewriteSink {
 public:
  bool keep(std::string_view) override { return true; }
  bool replace(std::string_view) override { return true; }
  bool keepHole(std::uint64_t) override { return true; }
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

// Opens the folder of a file named by a path, and finds the file's name in it.
bool openFolderOf(const std::string& path, FileDescriptor& folder, std::string& name, Failure& failure) {
  std::string target;
  if (!resolveLinks(path, target, failure)) return false;
  const auto slash = target.find_last_of('/');
  const std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  name = slash == std::string::npos ? target : target.substr(slash + 1);
  folder.reset(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // A folder the user may search but not read still holds files to rewrite; it is only not
  // synced after the swap.
  if (!folder.valid() && errno == EACCES) folder.reset(::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) return true;
  failure = failureFromErrno(errno, target);
  return false;
}

RewriteOutcome endedBySource(const SourceFile& source) {
  return source.stopped() ? RewriteOutcome::stopped() : RewriteOutcome::failed(*source.failure());
}

}  // namespace

RewriteOutcome rewriteFile(const FileToRewrite& file, const RewriteJob& job, Yielder& yielder) {
  FileDescriptor ownFolder;
  int folder = file.folder;
  std::string name = file.name;
  if (folder < 0) {
    Failure failure;
    if (!openFolderOf(file.path, ownFolder, name, failure)) return RewriteOutcome::failed(failure);
    folder = ownFolder.get();
  }

  SourceFile source(yielder);
  if (!source.open(folder, name, file.path)) return RewriteOutcome::failed(*source.failure());
  const auto size = static_cast<std::uint64_t>(source.openedStatus().st_size);
  if (size < job.terms.shortestMatchingFile()) return RewriteOutcome::done(0);
  // One byte over the size lets the first read see the end of a small file.
  TextRewrite text(source, job.terms, std::min<std::uint64_t>(job.bufferCapacity, size + 1));
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

  ReplacementFile replacement(folder, name, file.path, source.descriptor(), source.openedStatus(), *text.replacement(),
                              job.swap, job.writing, yielder);
  replacement.keepOriginalIn(job.journal);
  if (!text.run(replacement)) {
    if (source.stopped() || replacement.stopped()) return RewriteOutcome::stopped();
    return RewriteOutcome::failed(source.failure() ? *source.failure() : *replacement.failure());
  }
  if (text.occurrences() == 0) return RewriteOutcome::done(0);
  // Unchanged stretches are copied from the source: all of them must be in before it is checked.
  if (!replacement.finishWriting())
    return replacement.stopped() ? RewriteOutcome::stopped() : RewriteOutcome::failed(*replacement.failure());

  // Another program wrote to the file while it was read: swapping now would drop its bytes.
  if (!source.unchangedSinceOpened()) return RewriteOutcome::failed(failureFromErrno(EBUSY, file.path));
  if (!replacement.commit()) return RewriteOutcome::failed(*replacement.failure());
  return RewriteOutcome::done(text.occurrences());
}

}  // namespace sorvane
