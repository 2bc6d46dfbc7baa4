#pragma once

#include "engine/files/file_fingerprint.h"
#include "engine/files/rewrite_result.h"
#include "engine/preview/preview_line.h"
#include "engine/text/stream_rewriter.h"

#include <cstdint>
#include <string>

namespace sorvane {

class EncodedTerms;
class Yielder;

// Where a file's preview goes, line by line, as it is read.
class PreviewLineSink {
 public:
  virtual ~PreviewLineSink() = default;
  // False ends the preview of the file, as a stop does.
  virtual bool line(const PreviewLine& line) = 0;
};

struct FilePreview {
  std::int64_t occurrences = 0;
  FileFingerprint fingerprint;  // of the file as it was read
};

// Reads one file as a dry run reads it and hands on every line that holds an occurrence. Memory
// stays bounded whatever the file holds: a line of a gigabyte, millions of occurrences.
Result<FilePreview> previewFile(const std::string& path, EncodedTerms& terms, PreviewLineSink& sink, Yielder& yielder,
                                std::size_t bufferCapacity = StreamRewriter::kDefaultCapacity);

}  // namespace sorvane
