#pragma once

#include "engine/text/occurrence_choice.h"
#include "engine/text/pattern.h"
#include "engine/text/pattern_trouble.h"
#include "engine/text/replacement_template.h"
#include "engine/text/rewrite_buffers.h"
#include "engine/text/stream_rewriter.h"
#include "engine/text/text_encoding.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace sorvane {


// Streams a source through a bounded buffer, replacing every match of a pattern left to right
// without overlap. Each line (the text between line ends, CR LF or a CR alone) is one subject:
// a line that fits the buffer is matched whole; a longer one is matched as it streams through,
// with as much of it kept behind the search point as the pattern looks back.
class PatternRewriter {
 public:
  static constexpr std::chrono::seconds kDefaultBudget{10};

  // `encoding` is the stream's (after its byte order mark), 8-bit or UTF-16.
  PatternRewriter(const Pattern& pattern, const ReplacementTemplate& replacement, TextEncoding encoding,
                  RewriteBuffers& buffers, std::size_t capacity = StreamRewriter::kDefaultCapacity,
                  std::chrono::milliseconds budget = kDefaultBudget);
  ~PatternRewriter();
  PatternRewriter(const PatternRewriter&) = delete;
  PatternRewriter& operator=(const PatternRewriter&) = delete;

  // True when the whole source went through; `occurrences` then counts the replacements. With a
  // choice, a match it does not choose goes to the sink as kept bytes, and is not counted. False
  // when the source or the sink declined, or the pattern ran into trouble().
  bool run(ByteSource& source, RewriteSink& sink, const OccurrenceChoice* choice = nullptr);
  std::int64_t occurrences() const { return occurrences_; }
  PatternTrouble trouble() const { return trouble_; }

  class SubjectMatcher;

 private:
  class Pass;

  const ReplacementTemplate& replacement_;
  const TextEncoding encoding_;
  const std::size_t unit_;  // bytes of a code unit
  const std::size_t lookbehindBytes_;
  const std::size_t size_;
  char* const buffer_;
  const std::chrono::milliseconds budget_;
  std::unique_ptr<SubjectMatcher> matcher_;
  std::int64_t occurrences_ = 0;
  PatternTrouble trouble_ = PatternTrouble::None;
};

}  // namespace sorvane
