#pragma once

#include "engine/preview/preview_line.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sorvane {

// The bytes of a stretch of a line, of which only the first and the last kKept are kept, however
// long it grows: a preview shows no more of it than the characters next to an occurrence.
class StretchBytes {
 public:
  // kContext characters of up to four bytes each, and one more that the edge may cut into.
  // Even, so UTF-16 code units stay whole.
  static constexpr std::size_t kKept = 4 * (PreviewLine::kContext + 1);

  void append(std::string_view bytes);
  void appendZeros(std::uint64_t count);
  void clear();

  // The first and the last kKept bytes, or all of them.
  std::string_view first() const { return head_; }
  std::string_view last() const;
  // True when no byte was dropped: all() is the whole stretch.
  bool whole() const { return length_ <= 2 * kKept; }
  std::string all() const;  // when whole()

 private:
  std::string head_;  // the first bytes, at most kKept
  std::string tail_;  // the last bytes: at least kKept of them once there are, at most 2 kKept
  std::uint64_t length_ = 0;
};

}  // namespace sorvane
