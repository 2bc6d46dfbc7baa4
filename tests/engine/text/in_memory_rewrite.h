#pragma once

#include "engine/text/rewrite_buffers.h"
#include "engine/text/stream_rewriter.h"
#include "engine/text/text_rewrite.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sorvane::testing {

// Stretches [from, to) of a text that a source holds as holes; the text has zeros there.
using Holes = std::vector<std::pair<std::size_t, std::size_t>>;

// Hands out its text `chunk` bytes at a time, so a test chooses where reads end.
class ChunkedSource final : public ByteSource {
 public:
  ChunkedSource(std::string text, std::size_t chunk, Holes holes = {})
      : text_(std::move(text)), chunk_(chunk), holes_(std::move(holes)) {}
  bool read(char* into, std::size_t capacity, std::size_t& got) override {
    got = std::min({chunk_, capacity, text_.size() - offset_});
    text_.copy(into, got, offset_);
    offset_ += got;
    read_ += got;
    return true;
  }
  std::uint64_t zerosAhead() override {
    for (const auto& [from, to] : holes_)
      if (offset_ >= from && offset_ < to) return to - offset_;
    return 0;
  }
  bool skip(std::uint64_t length) override {
    offset_ += length;
    return true;
  }
  std::size_t bytesRead() const { return read_; }

  bool stillWanted() override { return wanted; }
  bool wanted = true;
 private:
  std::string text_;
  std::size_t chunk_;
  Holes holes_;
  std::size_t offset_ = 0;
  std::size_t read_ = 0;
};

struct StringSink final : RewriteSink {
  bool keep(std::string_view bytes) override {
    output.append(bytes);
    return true;
  }
  bool replace(std::string_view) override {
    output += replacement;
    return true;
  }
  bool replace(std::string_view, std::string_view replacement) override {
    output += replacement;
    return true;
  }
  bool keepHole(std::uint64_t length) override {
    output.append(length, '\0');
    return true;
  }
  std::string replacement;  // a term's
  std::string output;
};

struct Rewritten {
  std::string output;
  std::int64_t count;
  bool refused = false;  // left as it was: UTF-32, or a replacement with no form in the text's encoding
  std::size_t bytesRead = 0;
  PatternTrouble trouble = PatternTrouble::None;  // why a pattern's rewrite ended early
};

// What a file holding `text` holds after its rewrite, and the count, as rewriteFile makes them.
inline Rewritten rewriteText(const std::string& text, const SearchTerms& terms, std::size_t chunk = 1 << 20,
                             std::size_t capacity = 1, Holes holes = {}, const OccurrenceChoice* choice = nullptr) {
  EncodedTerms encoded(terms);
  ChunkedSource source(text, chunk, std::move(holes));
  RewriteBuffers buffers;
  TextRewrite rewrite(source, encoded, buffers, capacity);
  rewrite.start();
  if (rewrite.encoding() == TextEncoding::Utf32) return {text, 0, true};
  StringSink sink;
  sink.replacement = rewrite.replacement().value_or("");
  if (!rewrite.run(sink, choice)) return {text, 0, true, source.bytesRead(), rewrite.trouble()};
  if (!rewrite.canWriteReplacements() && rewrite.occurrences() > 0) return {text, 0, true};
  return {sink.output, rewrite.occurrences(), false, source.bytesRead()};
}

inline Rewritten rewriteText(const std::string& text, const std::string& find, const std::string& replace,
                             CompareMode compare, std::size_t chunk = 1 << 20, std::size_t capacity = 1,
                             Holes holes = {}, const OccurrenceChoice* choice = nullptr) {
  return rewriteText(text, SearchTerms{find, replace, compare}, chunk, capacity, std::move(holes), choice);
}

}  // namespace sorvane::testing
