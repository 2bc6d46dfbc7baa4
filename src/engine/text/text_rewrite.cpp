#include "engine/text/text_rewrite.h"

#include <algorithm>

namespace sorvane {

TextRewrite::TextRewrite(ByteSource& source, EncodedTerms& terms, RewriteBuffers& buffers, std::size_t capacity)
    : source_(source), terms_(terms), buffers_(buffers), capacity_(capacity) {}

bool TextRewrite::start() {
  // The first read is also the rewriter's: a small file is read whole in one call.
  const std::size_t room = std::clamp(capacity_, kEncodingSignatureLength, kLargestHead);
  char* const head = buffers_.head(room);
  std::size_t have = 0;
  while (have < kEncodingSignatureLength) {
    std::size_t got = 0;
    if (!source_.read(head + have, room - have, got)) return false;
    if (got == 0) break;
    have += got;
  }
  head_ = std::string_view(head, have);
  encoding_ = encodingOf(head_);
  return true;
}

bool TextRewrite::looksBinary() const {
  // A wide encoding's mark tells what the file is: UTF-16 is text, UTF-32 is refused as such.
  if (encoding_ != TextEncoding::Bytes && encoding_ != TextEncoding::Utf8WithBom) return false;
  return head_.find('\0') != std::string_view::npos;
}

bool TextRewrite::run(RewriteSink& sink, const OccurrenceChoice* choice) {
  headServed_ = byteOrderMarkLength(encoding_);
  if (!sink.keep(head_.substr(0, headServed_))) return false;
  if (const Pattern* pattern = terms_.pattern()) {
    PatternRewriter rewriter(*pattern, terms_.replacementTemplate(), encoding_, buffers_, capacity_);
    const bool finished = rewriter.run(*this, sink, choice);
    occurrences_ = rewriter.occurrences();
    trouble_ = rewriter.trouble();
    return finished;
  }
  StreamRewriter rewriter(terms_.matcher(encoding_), buffers_, capacity_);
  const bool finished = rewriter.run(*this, sink, choice);
  occurrences_ = rewriter.occurrences();
  return finished;
}

bool TextRewrite::read(char* into, std::size_t capacity, std::size_t& got) {
  if (headServed_ == head_.size()) return source_.read(into, capacity, got);
  got = std::min(capacity, head_.size() - headServed_);
  head_.copy(into, got, headServed_);
  headServed_ += got;
  return true;
}

}  // namespace sorvane
