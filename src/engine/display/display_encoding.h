#pragma once

#include "engine/text/text_encoding.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace sorvane {

// How a file's text is decoded to be shown. UTF-32 is not text this program shows.
enum class DisplayEncoding { Utf8, Windows1252, Utf16LE, Utf16BE, NotText };

// 8-bit text is shown as UTF-8 when this many of its first bytes are UTF-8, and as Windows-1252
// otherwise: only the start is looked at, since reading a whole long file first would delay
// whoever shows it.
inline constexpr std::size_t kUtf8Window = 64 * 1024;

// How text in `encoding` is shown. For 8-bit text `firstBytes` are its first kUtf8Window bytes
// (or all of it, when it is shorter); `cutOff` says more bytes follow them, so a character cut
// off by their end counts as UTF-8.
DisplayEncoding displayEncodingOf(TextEncoding encoding, std::string_view firstBytes, bool cutOff);

// How a text is shown, told by its first bytes, byte order mark included; nothing while they
// do not tell it yet. `whole` says they are the whole text, which always tells.
std::optional<DisplayEncoding> displayEncodingOf(std::string_view firstBytes, bool whole);

}  // namespace sorvane
