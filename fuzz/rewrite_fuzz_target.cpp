// Fuzz target for the rewrite core: the engine's streaming rewrite must give the same bytes
// and count as the plain reference model, for any text (in any encoding its first bytes
// announce), terms, comparison and chunking. Every run of zeros in the text is a hole, which
// the rewrite may pass over unread.
//
// Input layout: byte 0 chooses the comparison (bit 0), the read size (bits 1-3) and the
// buffer size (bits 4-7); byte 1 is the find term's length, then the term; the next byte is the
// replacement's length, then the replacement; the rest is the text.

#include "in_memory_rewrite.h"
#include "reference_replace.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

// Reads the input front to back; past its end every byte reads as 0.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::string bytes(std::size_t wanted) {
    const std::size_t n = std::min(wanted, size_ - at_);
    std::string taken(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return taken;
  }
  std::string rest() { return bytes(size_ - at_); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader input(data, size);
  const std::uint8_t flags = input.byte();
  const bool ignoreCase = (flags & 1) != 0;
  const std::size_t chunk = 1 + ((flags >> 1) & 7) * 3;  // 1 to 22 bytes a read
  const std::size_t capacity = (flags >> 4) == 15 ? std::size_t{1} << 16 : std::size_t{1} + (flags >> 4);
  const std::string find = input.bytes(input.byte() % 16);
  const std::string replace = input.bytes(input.byte() % 16);
  const std::string text = input.rest();

  const sorvane::testing::ReferenceResult expected = sorvane::testing::referenceReplace(text, find, replace, ignoreCase);
  sorvane::testing::Holes holes;
  for (std::size_t at = text.find('\0'); at != std::string::npos; at = text.find('\0', at)) {
    const std::size_t end = std::min(text.find_first_not_of('\0', at), text.size());
    holes.emplace_back(at, end);
    at = end;
  }
  const sorvane::testing::Rewritten actual =
      sorvane::testing::rewriteText(text, find, replace, ignoreCase ? sorvane::CompareMode::Text : sorvane::CompareMode::Binary,
                                    chunk, capacity, std::move(holes));
  if (actual.output != expected.output || actual.count != expected.count || actual.refused != expected.refused)
    std::abort();
  return 0;
}
