#include "engine/preview/stretch_bytes.h"

#include <algorithm>
#include <array>

namespace sorvane {

void StretchBytes::append(std::string_view bytes) {
  length_ += bytes.size();
  if (head_.size() < kKept) head_.append(bytes.substr(0, kKept - head_.size()));
  if (bytes.size() >= kKept) {
    tail_.assign(bytes.substr(bytes.size() - kKept));
    return;
  }
  tail_.append(bytes);
  // Trimmed by halves, so each byte is moved at most once on average.
  if (tail_.size() > 2 * kKept) tail_.erase(0, tail_.size() - kKept);
}

// A long run of zeros, a hole of a sparse file say, is counted rather than copied.
void StretchBytes::appendZeros(std::uint64_t count) {
  static constexpr std::array<char, kKept> kZeros{};
  const std::string_view zeros(kZeros.data(), kZeros.size());
  if (count > 2 * kKept) {
    append(zeros);
    length_ += count - 2 * kKept;
    append(zeros);
    return;
  }
  while (count > 0) {
    const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(count, kKept));
    append(zeros.substr(0, piece));
    count -= piece;
  }
}

void StretchBytes::clear() {
  head_.clear();
  tail_.clear();
  length_ = 0;
}

std::string StretchBytes::all() const {
  if (length_ <= kKept) return head_;
  return head_ + tail_.substr(tail_.size() - static_cast<std::size_t>(length_ - kKept));
}

std::string_view StretchBytes::last() const {
  return std::string_view(tail_).substr(tail_.size() - std::min(tail_.size(), kKept));
}

}  // namespace sorvane
