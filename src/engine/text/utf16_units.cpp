#include "engine/text/utf16_units.h"

#include "engine/text/utf8_units.h"

namespace sorvane::utf16 {
namespace {

void appendUnit(std::string& out, char32_t unit, ByteOrder order) {
  const auto low = static_cast<char>(unit & 0xFF);
  const auto high = static_cast<char>(unit >> 8);
  if (order == ByteOrder::LittleEndian) {
    out += low;
    out += high;
  } else {
    out += high;
    out += low;
  }
}

}  // namespace

void appendCharacter(std::string& out, char32_t character, ByteOrder order) {
  if (character < 0x10000) {
    appendUnit(out, character, order);
    return;
  }
  const char32_t offset = character - 0x10000;
  appendUnit(out, 0xD800 + (offset >> 10), order);
  appendUnit(out, 0xDC00 + (offset & 0x3FF), order);
}

std::optional<std::string> fromUtf8(std::string_view text, ByteOrder order) {
  std::string out;
  out.reserve(text.size() * 2);
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const utf8::Unit unit = utf8::decodeUnit(p, end);
    if (unit.value >= utf8::kInvalidByteBase) return std::nullopt;
    appendCharacter(out, unit.value, order);
    p += unit.length;
  }
  return out;
}

}  // namespace sorvane::utf16
