#include "engine/files/file_rewrite.h"

#include "engine/files/own_folder.h"
#include "engine/files/source_file.h"
#include "engine/text/text_rewrite.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

namespace sorvane {
namespace {

class CountingSink final : public RewriteSink {
 public:
  bool keep(std::string_view) override { return true; }
  bool replace(std::string_view) override { return true; }
  bool replace(std::string_view, std::string_view) override { return true; }
  bool keepHole(std::uint64_t) override { return true; }
  bool wantsReplacements() const override { return false; }
};

}  // namespace

Status endedBy(const SourceFile& source, const ReplacementFile* replacement, const std::string& path) {
  if (source.stopped() || (replacement && replacement->stopped())) return Stopped{};
  if (source.failure()) return *source.failure();
  if (replacement && replacement->failure()) return *replacement->failure();
  return failureFromErrno(EIO, path);  // neither says why: the read went wrong unnoticed
}

Status endedBy(const SourceFile& source, const ReplacementFile* replacement, const TextRewrite& text,
               const std::string& path) {
  if (text.trouble() != PatternTrouble::None && !source.stopped()) return patternFailure(text.trouble());
  return endedBy(source, replacement, path);
}

PreparedRewrite::PreparedRewrite(std::int64_t replacements, std::string path,
                                 std::shared_ptr<const FileDescriptor> folder, std::unique_ptr<SourceFile> source,
                                 std::unique_ptr<ReplacementFile> replacement)
    : replacements_(replacements),
      path_(std::move(path)),
      folder_(std::move(folder)),
      source_(std::move(source)),
      replacement_(std::move(replacement)) {}

PreparedRewrite::PreparedRewrite(PreparedRewrite&&) noexcept = default;
PreparedRewrite& PreparedRewrite::operator=(PreparedRewrite&&) noexcept = default;
// The replacement goes first: it removes its temporary file in the folder the source's holds.
PreparedRewrite::~PreparedRewrite() { replacement_.reset(); }

bool PreparedRewrite::replaces() const { return replacement_ != nullptr; }

std::uint64_t PreparedRewrite::size() const { return replacement_ ? replacement_->size() : 0; }

int PreparedRewrite::folder() const { return replacement_ ? folder_->get() : -1; }

bool PreparedRewrite::sameSource(const PreparedRewrite& other) const {
  if (!source_ || !other.source_) return false;
  const struct stat& mine = source_->openedStatus();
  const struct stat& theirs = other.source_->openedStatus();
  return mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

void PreparedRewrite::keepOriginal(FileToRewrite& file) {
  if (!replacement_ || !replacement_->keepOriginal()) return;
  struct stat kept {};
  if (file.previewed && ::fstat(source_->descriptor(), &kept) == 0) file.previewed->changed = kept.st_ctim;
}

std::optional<timespec> PreparedRewrite::originalChangedNow() const {
  struct stat now {};
  if (!replacement_ || ::fstat(source_->descriptor(), &now) != 0) return std::nullopt;
  return now.st_ctim;
}

Status PreparedRewrite::flush() { return replacement_ ? replacement_->flush() : succeeded(); }

Status PreparedRewrite::publish() {
  if (!replacement_) return succeeded();
  // Another program wrote to the file since it was read: the swap would drop its bytes.
  if (!source_->unchangedSinceOpened()) return failureFromErrno(EBUSY, path_);
  return replacement_->publish();
}

Result<PreparedRewrite> prepareRewrite(const FileToRewrite& named, const RewriteJob& job, Yielder& yielder,
                                       RewriteBuffers& buffers) {
  // A walk's file comes with its folder, and is used as it is rather than copied.
  std::optional<Result<FileToRewrite>> withFolder;
  if (!named.folder) {
    withFolder = withOwnFolder(named);
    if (!withFolder->ok()) return Result<PreparedRewrite>::endedAs(*withFolder);
  }
  const FileToRewrite& file = withFolder ? withFolder->value() : named;
  const int folder = file.folder->get();

  auto source = std::make_unique<SourceFile>(yielder, job.writing.seek);
  if (!source->open(folder, file.name, file.path))
    return Result<PreparedRewrite>::endedAs(endedBy(*source, nullptr, file.path));
  const auto size = static_cast<std::uint64_t>(source->openedStatus().st_size);
  // Only a file put in place needs its path: to name it in a failure to publish.
  const auto counted = [](std::int64_t replacements) {
    return PreparedRewrite(replacements, {}, nullptr, nullptr, nullptr);
  };
  if (size < job.terms.shortestMatchingFile()) return counted(0);
  // One byte over the size lets the first read see the end of a small file.
  TextRewrite text(*source, job.terms, buffers, std::min<std::uint64_t>(job.bufferCapacity, size + 1));
  if (!text.start()) return Result<PreparedRewrite>::endedAs(endedBy(*source, nullptr, file.path));
  if (file.passBinary && text.looksBinary()) {
    PreparedRewrite passedOver = counted(0);
    passedOver.passedOverAsBinary_ = true;
    return passedOver;
  }
  // Read as UTF-16, its characters would be garbled; it is left as it is.
  if (text.encoding() == TextEncoding::Utf32) return notTextFailure();
  // After the refusals, so a file the preview could not read fails here as it failed there.
  if (file.previewed && !(FileFingerprint::of(source->openedStatus()) == *file.previewed))
    return changedSincePreviewFailure();
  if (text.findsNothing()) return counted(0);

  if (job.dryRun || !text.canWriteReplacements()) {
    CountingSink counter;
    if (!text.run(counter, file.chosen)) return Result<PreparedRewrite>::endedAs(endedBy(*source, nullptr, text, file.path));
    if (!job.dryRun && text.occurrences() > 0) return unwritableReplacementFailure();
    return counted(text.occurrences());
  }

  auto replacement =
      std::make_unique<ReplacementFile>(folder, file.name, file.path, source->descriptor(), source->openedStatus(),
                                        job.terms.pattern() ? std::string() : *text.replacement(), job.swap,
                                        job.writing, yielder, job.undoRecord);
  if (!text.run(*replacement, file.chosen) || !replacement->finishWriting())
    return Result<PreparedRewrite>::endedAs(endedBy(*source, replacement.get(), text, file.path));
  if (text.occurrences() == 0) return counted(0);
  if (Status sealed = replacement->seal(); !sealed.ok()) return Result<PreparedRewrite>::endedAs(sealed);
  return PreparedRewrite(text.occurrences(), file.path, file.folder, std::move(source), std::move(replacement));
}

Result<PreparedRewrite> rewriteFile(FileToRewrite& file, const RewriteJob& job, Yielder& yielder) {
  RewriteBuffers buffers;
  Result<PreparedRewrite> prepared = prepareRewrite(file, job, yielder, buffers);
  if (!prepared.ok()) return prepared;
  PreparedRewrite& rewrite = prepared.value();
  rewrite.keepOriginal(file);
  if (Status flushed = rewrite.flush(); !flushed.ok()) return Result<PreparedRewrite>::endedAs(flushed);
  if (job.undoRecord && rewrite.replaces()) job.undoRecord->makeKeptDurable();
  if (Status published = rewrite.publish(); !published.ok()) return Result<PreparedRewrite>::endedAs(published);
  return prepared;
}

}  // namespace sorvane
