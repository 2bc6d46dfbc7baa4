#include "engine/text/pattern.h"

#include "engine/text/carriage_return_in_pattern.h"
#include "engine/text/utf16_units.h"

#include <utility>

namespace sorvane {
namespace {

constexpr std::uint32_t kCompileOptions =
    PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF | PCRE2_NEVER_BACKSLASH_C | PCRE2_DOLLAR_ENDONLY;
// Partial matching carries a match across the reads of a line longer than the buffer.
constexpr std::uint32_t kMachineCodeOptions = PCRE2_JIT_COMPLETE | PCRE2_JIT_PARTIAL_HARD;
constexpr std::string_view kWordCharacter = "[\\p{L}\\p{M}\\p{Nd}\\p{Pc}]";

std::string errorMessage(int code) {
  PCRE2_UCHAR8 buffer[256];
  const int length = pcre2_get_error_message_8(code, buffer, sizeof buffer);
  return length < 0 ? "error " + std::to_string(code) : std::string(reinterpret_cast<char*>(buffer), length);
}

// Compiles with the line's own end: a CR is the only newline, so `.` matches a lone LF.
pcre2_code_8* compileBytes(std::string_view text, std::uint32_t options, int& error, PCRE2_SIZE& offset) {
  pcre2_compile_context_8* context = pcre2_compile_context_create_8(nullptr);
  pcre2_set_newline_8(context, PCRE2_NEWLINE_CR);
  pcre2_code_8* code = pcre2_compile_8(reinterpret_cast<PCRE2_SPTR8>(text.data()), text.size(), options, &error,
                                       &offset, context);
  pcre2_compile_context_free_8(context);
  return code;
}

pcre2_code_16* compileUtf16(std::string_view text, std::uint32_t options) {
  const std::optional<std::string> bytes = utf16::fromUtf8(text, utf16::ByteOrder::LittleEndian);
  if (!bytes) return nullptr;
  std::u16string units(bytes->size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = utf16::unitAt(reinterpret_cast<const unsigned char*>(bytes->data()) + 2 * i,
                             utf16::ByteOrder::LittleEndian);
  pcre2_compile_context_16* context = pcre2_compile_context_create_16(nullptr);
  pcre2_set_newline_16(context, PCRE2_NEWLINE_CR);
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code_16* code = pcre2_compile_16(reinterpret_cast<PCRE2_SPTR16>(units.data()), units.size(), options,
                                         &error, &offset, context);
  pcre2_compile_context_free_16(context);
  return code;
}

// The start-of-pattern settings, such as (*UCP) or (*LIMIT_MATCH=1000), which must stay first.
std::size_t leadingSettingsLength(std::string_view text) {
  std::size_t at = 0;
  while (text.substr(at, 2) == "(*") {
    const std::size_t close = text.find(')', at);
    if (close == std::string_view::npos) break;
    const std::string_view name = text.substr(at + 2, close - at - 2);
    if (name.empty() || name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_=0123456789") != std::string_view::npos)
      break;
    at = close + 1;
  }
  return at;
}

// The pattern between two word-character tests. \E ends a \Q the pattern leaves open; a line
// feed before the closing parenthesis ends a comment that runs to the end of an extended pattern.
std::string asWholeWord(std::string_view text, bool endsInComment) {
  const std::size_t settings = leadingSettingsLength(text);
  std::string wrapped(text.substr(0, settings));
  wrapped += "(?<!";
  wrapped += kWordCharacter;
  wrapped += ")(?:";
  wrapped += text.substr(settings);
  wrapped += endsInComment ? "\\E\n)(?!" : "\\E)(?!";
  wrapped += kWordCharacter;
  wrapped += ")";
  return wrapped;
}

bool compiledToMachineCode(pcre2_code_8* bytes, pcre2_code_16* utf16) {
  if (pcre2_jit_compile_8(bytes, kMachineCodeOptions) != 0 || pcre2_jit_compile_16(utf16, kMachineCodeOptions) != 0)
    return false;
  // (*NO_JIT) compiles nothing, and says so only here.
  std::size_t size8 = 0, size16 = 0;
  pcre2_pattern_info_8(bytes, PCRE2_INFO_JITSIZE, &size8);
  pcre2_pattern_info_16(utf16, PCRE2_INFO_JITSIZE, &size16);
  return size8 > 0 && size16 > 0;
}

}  // namespace

bool patternMachineCodeAvailable() {
  std::uint32_t available = 0;
  return pcre2_config_8(PCRE2_CONFIG_JIT, &available) >= 0 && available != 0;
}

std::unique_ptr<Pattern> Pattern::compile(std::string_view text, CompareMode compare, bool wholeWord,
                                          PatternError& error) {
  if (!patternMachineCodeAvailable()) {
    error = {"this PCRE2 cannot compile patterns to machine code", 0};
    return nullptr;
  }
  const std::uint32_t options = kCompileOptions | (compare == CompareMode::Text ? PCRE2_CASELESS : 0);
  int code = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code_8* bare = compileBytes(text, options, code, offset);
  if (!bare) {
    error = {errorMessage(code), offset};
    return nullptr;
  }
  std::uint32_t groups = 0;
  pcre2_pattern_info_8(bare, PCRE2_INFO_CAPTURECOUNT, &groups);
  if (const std::optional<std::size_t> at = carriageReturnInPattern(text, groups)) {
    pcre2_code_free_8(bare);
    error = {"a carriage return ends a line, and patterns match within a line", *at};
    return nullptr;
  }
  std::string source(text);
  if (wholeWord) {
    pcre2_code_free_8(bare);
    source = asWholeWord(text, false);
    bare = compileBytes(source, options, code, offset);
    if (!bare) {
      source = asWholeWord(text, true);
      bare = compileBytes(source, options, code, offset);
    }
    if (!bare) {
      error = {"the pattern cannot be matched as a whole word", 0};
      return nullptr;
    }
  }
  std::unique_ptr<Pattern> pattern(new Pattern(bare, compileUtf16(source, options)));
  if (!pattern->utf16_ || !compiledToMachineCode(pattern->bytes_, pattern->utf16_)) {
    error = {"the pattern cannot be compiled to machine code", 0};
    return nullptr;
  }
  return pattern;
}

Pattern::Pattern(pcre2_code_8* bytes, pcre2_code_16* utf16) : bytes_(bytes), utf16_(utf16) {
  pcre2_pattern_info_8(bytes_, PCRE2_INFO_CAPTURECOUNT, &groupCount_);
  std::uint32_t lookbehind = 0;
  pcre2_pattern_info_8(bytes_, PCRE2_INFO_MAXLOOKBEHIND, &lookbehind);
  longestLookbehind_ = lookbehind;
}

Pattern::~Pattern() {
  pcre2_code_free_8(bytes_);
  pcre2_code_free_16(utf16_);
}

std::optional<std::uint32_t> Pattern::groupNumber(const std::string& name) const {
  PCRE2_SPTR8 first = nullptr, last = nullptr;
  if (pcre2_substring_nametable_scan_8(bytes_, reinterpret_cast<PCRE2_SPTR8>(name.c_str()), &first, &last) < 0)
    return std::nullopt;
  // Names may repeat, with (?J): the first group of the name stands for it.
  return static_cast<std::uint32_t>(first[0] << 8 | first[1]);
}

}  // namespace sorvane
