#pragma once

#include "engine/files/file_fingerprint.h"
#include "engine/files/file_rewrite.h"
#include "engine/files/rewrite_result.h"
#include "engine/preview/preview_line.h"
#include "engine/text/stream_rewriter.h"

#include <cstdint>
#include <string>

namespace sorvane {

class EncodedTerms;
class RewriteBuffers;
class Yielder;

struct FilePreview {
  std::int64_t occurrences = 0;
  FileFingerprint fingerprint;  // of the file as it was read
  bool passedOverAsBinary = false;  // a walk's file that looks binary, as a run passes it over
};

// Reads one file as a dry run reads it (the same open, refusals and count) and hands on every
// line that holds an occurrence as soon as its end is read. Gives the count and the fingerprint
// of the file as it was opened, the failure a dry run would meet, or a stop: the yielder's, or
// the sink's. Memory stays bounded whatever the file holds: a line of a gigabyte, millions of
// occurrences. The buffers are the caller's, kept from file to file.
Result<FilePreview> previewFile(const FileToRewrite& named, EncodedTerms& terms, PreviewLineSink& sink, Yielder& yielder,
                                RewriteBuffers& buffers, std::size_t bufferCapacity = StreamRewriter::kDefaultCapacity);

}  // namespace sorvane
