#include "engine/display/display_decoder.h"

#include "engine/display/windows_1252.h"
#include "engine/text/utf16_units.h"
#include "engine/text/utf8_units.h"

#include <algorithm>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sorvane {
namespace {

constexpr char32_t CR = U'\r';
constexpr char32_t LF = U'\n';

}  // namespace

DisplayDecoder::DisplayDecoder(DisplayTextSink& sink) : sink_(sink) {}

DisplayDecoder::DisplayDecoder(DisplayTextSink& sink, DisplayEncoding encoding) : sink_(sink), encoding_(encoding) {
  sink_.start(encoding);
}

void DisplayDecoder::append(std::string_view bytes) {
  if (encoding_) {
    decode(bytes);
  } else {
    undecided_.append(bytes);
    settle(false);
  }
  handOn();
}

void DisplayDecoder::finish() {
  if (!encoding_) settle(true);
  for (const char byte : std::exchange(cutOff_, {})) notCharacter(std::string_view(&byte, 1));
  if (highSurrogate_) loneSurrogate(*std::exchange(highSurrogate_, std::nullopt));
  if (oddByte_) {
    const auto odd = static_cast<char>(*std::exchange(oddByte_, std::nullopt));
    notCharacter(std::string_view(&odd, 1));
  }
  handOn();
  afterCr_ = false;  // nothing follows the end: the decoder may start a new text
}

// Decides the encoding once the first bytes, or all of them (`whole`), tell it, and decodes
// what was held.
void DisplayDecoder::settle(bool whole) {
  encoding_ = displayEncodingOf(undecided_, whole);
  if (!encoding_) return;
  sink_.start(*encoding_);
  const std::string first = std::exchange(undecided_, {});
  decode(std::string_view(first).substr(std::min(first.size(), byteOrderMarkLength(encodingOf(first)))));
}

void DisplayDecoder::decode(std::string_view bytes) {
  // Never more characters than bytes, and a character held from the last bytes.
  if (text_.size() < bytes.size() + 2) text_.resize(bytes.size() + 2);
  switch (*encoding_) {
    case DisplayEncoding::Utf8:
      decodeUtf8(bytes);
      return;
    case DisplayEncoding::Windows1252:
      decodeWindows1252(bytes);
      return;
    case DisplayEncoding::Utf16LE:
    case DisplayEncoding::Utf16BE:
      decodeUtf16(bytes);
      return;
    case DisplayEncoding::NotText:
      return;
  }
}

const unsigned char* DisplayDecoder::copyAscii(const unsigned char* p, const unsigned char* end) {
  if (afterCr_) return p;
  char16_t* out = text_.data() + decoded_;
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  for (; end - p >= 16; p += 16, out += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // A byte above ASCII has its high bit set, and so has the comparison's mark of a CR.
    if (_mm_movemask_epi8(_mm_or_si128(bytes, _mm_cmpeq_epi8(bytes, cr))) != 0) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
  }
#endif
  for (; p < end && *p < 0x80 && *p != '\r'; ++p) *out++ = *p;
  decoded_ = static_cast<std::size_t>(out - text_.data());
  return p;
}

void DisplayDecoder::decodeUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  if (!cutOff_.empty()) {
    // The sequence the last bytes ended inside ends within the next three.
    const std::string joined = cutOff_ + std::string(bytes.substr(0, 3));
    const auto* const first = reinterpret_cast<const unsigned char*>(joined.data());
    std::size_t at = 0;
    while (at < cutOff_.size()) {
      const utf8::Unit unit = utf8::decodeUnit(first + at, first + joined.size());
      if (unit.truncated) {  // fewer than three new bytes, all of them in `joined`
        cutOff_ = joined.substr(at);
        return;
      }
      utf8Unit(unit.value, first + at);
      at += unit.length;
    }
    p += at - cutOff_.size();
    cutOff_.clear();
  }
  while (p < end) {
    p = copyAscii(p, end);
    if (p == end) return;
    const utf8::Unit unit = utf8::decodeUnit(p, end);
    if (unit.truncated) {
      cutOff_.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
      return;
    }
    utf8Unit(unit.value, p);
    p += unit.length;
  }
}

void DisplayDecoder::decodeWindows1252(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  while (p < end) {
    p = copyAscii(p, end);
    if (p < end) character(fromWindows1252(*p++));
  }
}

// A code unit may be split between two pieces of bytes, and so may a surrogate pair.
void DisplayDecoder::decodeUtf16(std::string_view bytes) {
  const auto order =
      encoding_ == DisplayEncoding::Utf16LE ? utf16::ByteOrder::LittleEndian : utf16::ByteOrder::BigEndian;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  if (oddByte_ && p < end) {
    const unsigned char unit[2] = {*std::exchange(oddByte_, std::nullopt), *p++};
    utf16Unit(utf16::unitAt(unit, order));
  }
  for (; end - p >= 2; p += 2) utf16Unit(utf16::unitAt(p, order));
  if (p < end) oddByte_ = *p;
}

void DisplayDecoder::utf8Unit(char32_t value, const unsigned char* bytes) {
  if (value >= utf8::kInvalidByteBase)
    notCharacter(std::string_view(reinterpret_cast<const char*>(bytes), 1));
  else
    character(value);
}

void DisplayDecoder::utf16Unit(char16_t unit) {
  if (highSurrogate_) {
    const char16_t high = *std::exchange(highSurrogate_, std::nullopt);
    if (utf16::isLowSurrogate(unit)) return character(utf16::combine(high, unit));
    loneSurrogate(high);
  }
  if (utf16::isHighSurrogate(unit))
    highSurrogate_ = unit;
  else if (utf16::isLowSurrogate(unit))
    loneSurrogate(unit);
  else
    character(unit);
}

void DisplayDecoder::character(char32_t character) {
  if (afterCr_ || character == CR) [[unlikely]] {
    if (std::exchange(afterCr_, false) && character == LF) return;  // the second half of a CR LF
    if (character == CR) return lineEnd();
  }
  if (character < 0x10000) {
    text_[decoded_++] = static_cast<char16_t>(character);
    return;
  }
  text_[decoded_++] = static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
  text_[decoded_++] = static_cast<char16_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
}

void DisplayDecoder::lineEnd() {
  handOn();
  sink_.lineEnd();
  afterCr_ = true;
}

void DisplayDecoder::loneSurrogate(char16_t unit) {
  std::string bytes;
  utf16::appendCharacter(bytes, unit,
                         encoding_ == DisplayEncoding::Utf16LE ? utf16::ByteOrder::LittleEndian
                                                               : utf16::ByteOrder::BigEndian);
  notCharacter(bytes);
}

void DisplayDecoder::notCharacter(std::string_view bytes) {
  afterCr_ = false;
  handOn();
  sink_.notCharacter(bytes);
}

void DisplayDecoder::handOn() {
  if (decoded_ == 0) return;
  sink_.characters(std::u16string_view(text_.data(), decoded_));
  decoded_ = 0;
}

}  // namespace sorvane
