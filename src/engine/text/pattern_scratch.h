#pragma once

#include <pcre2.h>

#include <cstdint>

namespace sorvane {

// What matching a pattern needs on one thread, kept from one file to the next: the match data,
// the limits and the machine-code stack, for 8-bit and for UTF-16 text.
class PatternScratch {
 public:
  // A step limit per match, so a pattern that backtracks without end fails its file instead of
  // hanging the run; a pattern may set a lower one with (*LIMIT_MATCH=n).
  static constexpr std::uint32_t kMatchLimit = 10'000'000;

  PatternScratch() = default;
  PatternScratch(const PatternScratch&) = delete;
  PatternScratch& operator=(const PatternScratch&) = delete;
  ~PatternScratch();

  // Match data with room for every group of `code`, and the context to match it in.
  pcre2_match_data_8* matchData(const pcre2_code_8* code);
  pcre2_match_data_16* matchData(const pcre2_code_16* code);
  pcre2_match_context_8* context8();
  pcre2_match_context_16* context16();

 private:
  // The machine code's stack grows up to this, and a match that needs more fails its file.
  static constexpr std::size_t kLargestStack = 4 * 1024 * 1024;

  pcre2_match_data_8* data8_ = nullptr;
  pcre2_match_data_16* data16_ = nullptr;
  std::uint32_t pairs8_ = 0;
  std::uint32_t pairs16_ = 0;
  pcre2_jit_stack_8* stack8_ = nullptr;
  pcre2_jit_stack_16* stack16_ = nullptr;
  pcre2_match_context_8* context8_ = nullptr;
  pcre2_match_context_16* context16_ = nullptr;
};

}  // namespace sorvane
