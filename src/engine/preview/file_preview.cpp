#include "engine/preview/file_preview.h"

#include "engine/files/file_rewrite.h"
#include "engine/files/own_folder.h"
#include "engine/files/source_file.h"
#include "engine/preview/preview_builder.h"
#include "engine/preview/shown_text.h"
#include "engine/text/encoded_terms.h"
#include "engine/text/text_rewrite.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <unistd.h>

namespace sorvane {
namespace {

// How 8-bit text is shown is told by its first bytes, read apart from the rewrite's own reads.
Result<DisplayEncoding> shownEncoding(const SourceFile& source, TextEncoding encoding, std::uint64_t size,
                                     const std::string& path) {
  if (encoding != TextEncoding::Bytes) return displayEncodingOf(encoding, {}, false);
  // A byte past the window tells that it was cut off; a small file needs no more than its size.
  std::string first(static_cast<std::size_t>(std::min<std::uint64_t>(size, kUtf8Window)) + 1, '\0');
  std::size_t got = 0;
  while (got < first.size()) {
    const ssize_t n = ::pread(source.descriptor(), first.data() + got, first.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failureFromErrno(errno, path);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return displayEncodingOf(encoding, std::string_view(first).substr(0, std::min(got, kUtf8Window)),
                           got > kUtf8Window);
}

// What replaces each occurrence, as the file will show it. A replacement with no form in the
// file's encoding, which a run refuses to write, shows as it was given.
std::string shownReplacement(const TextRewrite& text, EncodedTerms& terms, DisplayEncoding shown) {
  ShownText replacement(text.replacement() ? shown : DisplayEncoding::Utf8);
  replacement.decode(text.replacement() ? *text.replacement() : *terms.replacement(TextEncoding::Bytes));
  return std::string(replacement.text());
}

}  // namespace

Result<FilePreview> previewFile(const FileToRewrite& named, EncodedTerms& terms, PreviewLineSink& sink,
                                Yielder& yielder, RewriteBuffers& buffers, std::size_t bufferCapacity) {
  const std::string& path = named.path;
  // A walk's file comes with its folder, as it does to a run.
  std::optional<Result<FileToRewrite>> withFolder;
  if (!named.folder) {
    withFolder = withOwnFolder(named);
    if (!withFolder->ok()) return Result<FilePreview>::endedAs(*withFolder);
  }
  const FileToRewrite& file = withFolder ? withFolder->value() : named;
  SourceFile source(yielder, &::lseek);
  if (!source.open(file.folder->get(), file.name, file.path)) return Result<FilePreview>::endedAs(endedBy(source, nullptr, path));
  FilePreview preview{0, FileFingerprint::of(source.openedStatus())};

  const auto size = static_cast<std::uint64_t>(source.openedStatus().st_size);
  if (size < terms.shortestMatchingFile()) return preview;
  // One byte over the size lets the first read see the end of a small file.
  TextRewrite text(source, terms, buffers, std::min<std::uint64_t>(bufferCapacity, size + 1));
  if (!text.start()) return Result<FilePreview>::endedAs(endedBy(source, nullptr, path));
  if (file.passBinary && text.looksBinary()) {
    preview.passedOverAsBinary = true;
    return preview;
  }
  if (text.encoding() == TextEncoding::Utf32) return notTextFailure();
  if (text.findsNothing()) return preview;
  const Result<DisplayEncoding> shown = shownEncoding(source, text.encoding(), size, path);
  if (!shown.ok()) return Result<FilePreview>::endedAs(shown);

  PreviewBuilder builder(text.encoding(), shown.value(),
                         terms.pattern() ? std::nullopt : std::optional(shownReplacement(text, terms, shown.value())),
                         sink);
  if (!text.run(builder) || !builder.finish())
    return builder.declined() ? Result<FilePreview>(Stopped{}) : Result<FilePreview>::endedAs(endedBy(source, nullptr, path));
  preview.occurrences = text.occurrences();
  return preview;
}

}  // namespace sorvane
