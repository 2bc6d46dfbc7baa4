#pragma once

#include "engine/text/utf16_units.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace sorvane {

// How a file's text is stored, as its first bytes announce it. A file without a byte order
// mark is 8-bit text: its bytes are matched as they are, and read as UTF-8 where case is ignored.
enum class TextEncoding { Bytes, Utf8WithBom, Utf16LE, Utf16BE, Utf32 };

// The most bytes encodingOf() needs to see.
inline constexpr std::size_t kEncodingSignatureLength = 4;

// The encoding that a stream's first kEncodingSignatureLength bytes announce (all of its
// bytes, when it is shorter). A UTF-32 mark wins over the UTF-16 mark it begins with.
TextEncoding encodingOf(std::string_view firstBytes);

// The byte order of UTF-16 text; none for any other encoding.
std::optional<utf16::ByteOrder> utf16ByteOrderOf(TextEncoding encoding);

// The length of the byte order mark that opens a text in `encoding`; 0 for 8-bit text.
std::size_t byteOrderMarkLength(TextEncoding encoding);

}  // namespace sorvane
