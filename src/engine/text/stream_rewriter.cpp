#include "engine/text/stream_rewriter.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace sorvane {

StreamRewriter::StreamRewriter(const TermMatcher& matcher, RewriteBuffers& buffers, std::size_t capacity)
    : matcher_(matcher),
      // Room for the look-back, one whole occurrence and at least one fresh byte guarantees
      // that every pass settles at least one byte.
      size_(std::max(capacity, TermMatcher::kLookback + matcher.maxOccurrenceLength() + 1)),
      buffer_(buffers.stream(size_)) {}

bool StreamRewriter::run(ByteSource& source, RewriteSink& sink, const OccurrenceChoice* choice) {
  return matcher_.wholeWord() ? runWith<true>(source, sink, choice) : runWith<false>(source, sink, choice);
}

template <bool kWholeWord>
bool StreamRewriter::runWith(ByteSource& source, RewriteSink& sink, const OccurrenceChoice* choice) {
  using Kind = TermMatcher::Result::Kind;
  occurrences_ = 0;
  std::optional<OccurrenceChoice::Cursor> cursor;
  if (choice) cursor.emplace(*choice);
  char* const data = buffer_;
  std::size_t start = 0;   // data[0, start) is look-back, already passed to the sink
  std::size_t length = 0;  // data[start, length) is not yet settled
  bool atEnd = false;

  while (true) {
    std::size_t got = 0;
    if (!source.read(data + length, size_ - length, got)) return false;
    atEnd = got == 0;
    length += got;

    std::size_t position = start;
    while (true) {
      const TermMatcher::Result result = kWholeWord ? matcher_.findWholeWord(data, position, length, atEnd)
                                                    : matcher_.find(data, position, length, atEnd);
      if (!sink.keep(std::string_view(data + position, result.position - position))) return false;
      position = result.position;
      if (result.kind != Kind::Found) break;
      const std::string_view occurrence(data + position, result.length);
      if (cursor && !cursor->nextIsChosen()) {
        if (!sink.keep(occurrence)) return false;
      } else {
        if (!sink.replace(occurrence)) return false;
        ++occurrences_;
      }
      position += result.length;
    }
    if (atEnd) return true;
    if (!skipHole(source, sink, data, position, length)) return false;

    // Roll the unsettled tail, and the look-back before it, to the front.
    const std::size_t keepFrom = position - std::min(position, TermMatcher::kLookback);
    std::memmove(data, data + keepFrom, length - keepFrom);
    length -= keepFrom;
    start = position - keepFrom;
  }
}

// Passes over the hole ahead when no occurrence can touch the bytes passed over: the unsettled
// bytes and the look-back before them are zeros, so an occurrence starting among them, or in the
// bytes passed over, would be made of zeros only. The hole's last bytes are read all the same:
// an occurrence may start among them and end in the data after. To the matcher, the stream after
// the skip looks as it would have.
bool StreamRewriter::skipHole(ByteSource& source, RewriteSink& sink, const char* data, std::size_t& position,
                              std::size_t length) {
  if (matcher_.occursInZeros() || length < TermMatcher::kLookback || length % 2 != 0) return true;
  const std::size_t from = std::min(position, length - TermMatcher::kLookback);
  if (std::any_of(data + from, data + length, [](char c) { return c != 0; })) return true;
  const std::uint64_t zeros = source.zerosAhead();
  if (zeros < matcher_.maxOccurrenceLength() + 2) return true;
  // An even length keeps two-byte code units where they were.
  const std::uint64_t skipped = (zeros - matcher_.maxOccurrenceLength()) & ~std::uint64_t{1};
  if (!sink.keep(std::string_view(data + position, length - position))) return false;
  position = length;
  return sink.keepHole(skipped) && source.skip(skipped);
}

}  // namespace sorvane
