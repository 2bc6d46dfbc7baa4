#include "engine/text/pattern_scratch.h"

namespace sorvane {
namespace {

constexpr std::size_t kFirstStack = 32 * 1024;

}  // namespace

PatternScratch::~PatternScratch() {
  pcre2_match_data_free_8(data8_);
  pcre2_match_data_free_16(data16_);
  pcre2_match_context_free_8(context8_);
  pcre2_match_context_free_16(context16_);
  pcre2_jit_stack_free_8(stack8_);
  pcre2_jit_stack_free_16(stack16_);
}

pcre2_match_data_8* PatternScratch::matchData(const pcre2_code_8* code) {
  std::uint32_t groups = 0;
  pcre2_pattern_info_8(code, PCRE2_INFO_CAPTURECOUNT, &groups);
  if (!data8_ || pairs8_ < groups + 1) {
    pcre2_match_data_free_8(data8_);
    data8_ = pcre2_match_data_create_8(groups + 1, nullptr);
    pairs8_ = groups + 1;
  }
  return data8_;
}

pcre2_match_data_16* PatternScratch::matchData(const pcre2_code_16* code) {
  std::uint32_t groups = 0;
  pcre2_pattern_info_16(code, PCRE2_INFO_CAPTURECOUNT, &groups);
  if (!data16_ || pairs16_ < groups + 1) {
    pcre2_match_data_free_16(data16_);
    data16_ = pcre2_match_data_create_16(groups + 1, nullptr);
    pairs16_ = groups + 1;
  }
  return data16_;
}

pcre2_match_context_8* PatternScratch::context8() {
  if (!context8_) {
    context8_ = pcre2_match_context_create_8(nullptr);
    stack8_ = pcre2_jit_stack_create_8(kFirstStack, kLargestStack, nullptr);
    pcre2_jit_stack_assign_8(context8_, nullptr, stack8_);
    pcre2_set_match_limit_8(context8_, kMatchLimit);
  }
  return context8_;
}

pcre2_match_context_16* PatternScratch::context16() {
  if (!context16_) {
    context16_ = pcre2_match_context_create_16(nullptr);
    stack16_ = pcre2_jit_stack_create_16(kFirstStack, kLargestStack, nullptr);
    pcre2_jit_stack_assign_16(context16_, nullptr, stack16_);
    pcre2_set_match_limit_16(context16_, kMatchLimit);
  }
  return context16_;
}

}  // namespace sorvane
