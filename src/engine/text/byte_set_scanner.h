#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace sorvane {

// Finds the next byte that belongs to a small set, sixteen bytes at a time where the
// processor allows: the candidate scan of case-insensitive search lives on this loop.
class ByteSetScanner {
 public:
  explicit ByteSetScanner(const std::vector<unsigned char>& bytes);

  // The first position in [p, end) whose byte is in the set, or end.
  const unsigned char* find(const unsigned char* p, const unsigned char* end) const;

 private:
  static constexpr std::size_t kVectorNeedles = 4;
  std::array<bool, 256> member_{};
  std::vector<unsigned char> needles_;
};

}  // namespace sorvane
