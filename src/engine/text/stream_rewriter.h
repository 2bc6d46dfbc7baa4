#pragma once

#include "engine/text/occurrence_choice.h"
#include "engine/text/rewrite_buffers.h"
#include "engine/text/term_matcher.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sorvane {

// Where the rewriter's input comes from. A source may fail or decline to go on (a stop
// request); either way it returns false and the rewrite ends.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `capacity` bytes into `into`; got == 0 means the end of the input.
  virtual bool read(char* into, std::size_t capacity, std::size_t& got) = 0;
  // How many of the bytes from the read position on are zeros the source stores no data for (a
  // hole in a sparse file); 0 where it knows of none.
  virtual std::uint64_t zerosAhead() = 0;
  // Passes over `length` of those zeros without reading them.
  virtual bool skip(std::uint64_t length) = 0;
  // False once whoever reads wants it to stop, between reads of a long search.
  virtual bool stillWanted() { return true; }
};

// Where the rewriter's output goes: the source's bytes in order, each occurrence
// announced in place of its bytes. Returning false ends the rewrite.
class RewriteSink {
 public:
  virtual ~RewriteSink() = default;
  virtual bool keep(std::string_view bytes) = 0;
  // An occurrence of a term, which the sink knows the replacement of.
  virtual bool replace(std::string_view occurrence) = 0;
  // A pattern's match, with the replacement its template makes of it.
  virtual bool replace(std::string_view occurrence, std::string_view replacement) = 0;
  // False for a sink that only counts: a pattern's replacements are then not worked out.
  virtual bool wantsReplacements() const { return true; }
  // The next `length` bytes of the source, kept as they are: zeros that were skipped unread.
  virtual bool keepHole(std::uint64_t length) = 0;
};

// Streams a source through a bounded buffer, replacing every occurrence of a term left to
// right without overlap. The buffer is fixed at construction: it never grows with the input,
// its lines or the number of occurrences. A hole of the source, where it holds a long run of
// zeros as no data at all, is passed on unread, unless the term itself can occur in zeros.
class StreamRewriter {
 public:
  static constexpr std::size_t kDefaultCapacity = 256 * 1024;

  // `capacity` may be as small as 1: the buffer is then just large enough for one occurrence.
  // The buffer is the stream buffer of `buffers`.
  StreamRewriter(const TermMatcher& matcher, RewriteBuffers& buffers, std::size_t capacity = kDefaultCapacity);
  StreamRewriter(const StreamRewriter&) = delete;  // two would stream through one buffer
  StreamRewriter& operator=(const StreamRewriter&) = delete;

  // True when the whole source went through; `occurrences` then counts the replacements. With a
  // choice, an occurrence it does not choose goes to the sink as kept bytes, and is not counted.
  bool run(ByteSource& source, RewriteSink& sink, const OccurrenceChoice* choice = nullptr);
  std::int64_t occurrences() const { return occurrences_; }

 private:
  template <bool kWholeWord>
  bool runWith(ByteSource& source, RewriteSink& sink, const OccurrenceChoice* choice);
  bool skipHole(ByteSource& source, RewriteSink& sink, const char* data, std::size_t& position, std::size_t length);

  const TermMatcher& matcher_;
  std::size_t size_;
  char* buffer_;
  std::int64_t occurrences_ = 0;
};

}  // namespace sorvane
