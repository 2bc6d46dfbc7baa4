#include "engine/display/display_encoding.h"

#include "engine/text/utf8_units.h"

namespace sorvane {
namespace {

bool isUtf8(std::string_view bytes, bool cutOff) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  while (p < end) {
    const utf8::Unit unit = utf8::decodeUnit(p, end);
    if (unit.value >= utf8::kInvalidByteBase) return unit.truncated && cutOff;
    p += unit.length;
  }
  return true;
}

}  // namespace

DisplayEncoding displayEncodingOf(TextEncoding encoding, std::string_view firstBytes, bool cutOff) {
  switch (encoding) {
    case TextEncoding::Utf32:
      return DisplayEncoding::NotText;
    case TextEncoding::Utf16LE:
      return DisplayEncoding::Utf16LE;
    case TextEncoding::Utf16BE:
      return DisplayEncoding::Utf16BE;
    case TextEncoding::Utf8WithBom:
      return DisplayEncoding::Utf8;
    case TextEncoding::Bytes:
      break;
  }
  return isUtf8(firstBytes, cutOff) ? DisplayEncoding::Utf8 : DisplayEncoding::Windows1252;
}

std::optional<DisplayEncoding> displayEncodingOf(std::string_view firstBytes, bool whole) {
  if (firstBytes.size() < kEncodingSignatureLength && !whole) return std::nullopt;
  const TextEncoding encoding = encodingOf(firstBytes);
  // Only a byte past the window tells that a character cut off by its edge goes on.
  if (encoding == TextEncoding::Bytes && firstBytes.size() <= kUtf8Window && !whole) return std::nullopt;
  return displayEncodingOf(encoding, firstBytes.substr(0, kUtf8Window), firstBytes.size() > kUtf8Window);
}

}  // namespace sorvane
