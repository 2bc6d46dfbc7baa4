#include "engine/text/text_encoding.h"

namespace sorvane {
namespace {

constexpr std::string_view kUtf32LE("\xFF\xFE\x00\x00", 4);
constexpr std::string_view kUtf32BE("\x00\x00\xFE\xFF", 4);
constexpr std::string_view kUtf16LE("\xFF\xFE", 2);
constexpr std::string_view kUtf16BE("\xFE\xFF", 2);
constexpr std::string_view kUtf8("\xEF\xBB\xBF", 3);

}  // namespace

TextEncoding encodingOf(std::string_view firstBytes) {
  if (firstBytes.starts_with(kUtf32LE) || firstBytes.starts_with(kUtf32BE)) return TextEncoding::Utf32;
  if (firstBytes.starts_with(kUtf16LE)) return TextEncoding::Utf16LE;
  if (firstBytes.starts_with(kUtf16BE)) return TextEncoding::Utf16BE;
  if (firstBytes.starts_with(kUtf8)) return TextEncoding::Utf8WithBom;
  return TextEncoding::Bytes;
}

std::optional<utf16::ByteOrder> utf16ByteOrderOf(TextEncoding encoding) {
  if (encoding == TextEncoding::Utf16LE) return utf16::ByteOrder::LittleEndian;
  if (encoding == TextEncoding::Utf16BE) return utf16::ByteOrder::BigEndian;
  return std::nullopt;
}

std::size_t byteOrderMarkLength(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Bytes:
      return 0;
    case TextEncoding::Utf8WithBom:
      return kUtf8.size();
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      return 2;
    case TextEncoding::Utf32:
      return 4;
  }
  return 0;
}

}  // namespace sorvane
