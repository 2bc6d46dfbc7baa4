#pragma once

#include "engine/text/encoded_terms.h"
#include "engine/text/pattern_rewriter.h"
#include "engine/text/rewrite_buffers.h"
#include "engine/text/stream_rewriter.h"
#include "engine/text/text_encoding.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// Rewrites one stream as text in the encoding its first bytes announce. The byte order mark
// goes to the sink as it is and is never searched; the text after it is searched with the
// matcher for its encoding, or the terms' pattern, and occurrences are replaced by the
// replacement in that encoding.
// It reads into `buffers`, which no other rewrite may use until it is done.
class TextRewrite final : private ByteSource {
 public:
  TextRewrite(ByteSource& source, EncodedTerms& terms, RewriteBuffers& buffers,
              std::size_t capacity = StreamRewriter::kDefaultCapacity);
  TextRewrite(const TextRewrite&) = delete;  // the rewriter reads through it
  TextRewrite& operator=(const TextRewrite&) = delete;

  // Reads the first bytes of the stream to tell its encoding. False when the source failed or
  // declined to go on.
  bool start();
  TextEncoding encoding() const { return encoding_; }
  // True when the bytes start() read hold a NUL, as no 8-bit or UTF-8 text does. Never for a
  // UTF-16 or UTF-32 mark, whose text holds NULs as parts of its characters.
  bool looksBinary() const;
  // True when no text in the stream's encoding can hold an occurrence.
  bool findsNothing() const { return !terms_.pattern() && terms_.matcher(encoding_).findsNothing(); }
  // The literal replacement in the stream's encoding; nothing when it cannot be written in it.
  const std::optional<std::string>& replacement() const { return terms_.replacement(encoding_); }
  // False when a literal replacement has no form in the stream's encoding. A pattern's is known
  // match by match, and a run that meets one without a form ends in trouble().
  bool canWriteReplacements() const { return terms_.pattern() || replacement(); }

  // Passes the whole stream, from its first byte, to `sink` (after start()). True when it all
  // went through; occurrences() then counts the replacements. With a choice, only the chosen
  // occurrences are replaced; the others go to the sink as they are.
  bool run(RewriteSink& sink, const OccurrenceChoice* choice = nullptr);
  std::int64_t occurrences() const { return occurrences_; }
  // Why a pattern's run ended early, the source and the sink aside.
  PatternTrouble trouble() const { return trouble_; }

 private:
  // The most start() reads: it holds the bytes twice, so a large file's first read stays short.
  static constexpr std::size_t kLargestHead = 64 * 1024;

  // The rewriter's input: the first bytes after the byte order mark, then the rest of the source.
  bool read(char* into, std::size_t capacity, std::size_t& got) override;
  std::uint64_t zerosAhead() override { return headServed_ == head_.size() ? source_.zerosAhead() : 0; }
  bool skip(std::uint64_t length) override { return source_.skip(length); }
  bool stillWanted() override { return source_.stillWanted(); }

  ByteSource& source_;
  EncodedTerms& terms_;
  RewriteBuffers& buffers_;
  std::size_t capacity_;
  std::string_view head_;  // the bytes start() read, in the head buffer
  std::size_t headServed_ = 0;
  TextEncoding encoding_ = TextEncoding::Bytes;
  std::int64_t occurrences_ = 0;
  PatternTrouble trouble_ = PatternTrouble::None;
};

}  // namespace sorvane
