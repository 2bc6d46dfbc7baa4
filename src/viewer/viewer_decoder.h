#pragma once

#include "engine/text/text_encoding.h"
#include "viewer/viewer_text.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane::viewer {

// Turns a file's bytes, as they arrive, into the text the viewer shows. A byte order mark says
// how the text is stored and is not shown; a file without one is read as UTF-8 when its first
// kUtf8Window bytes are UTF-8 (a character cut off by the window's edge counts as UTF-8), and
// as Windows-1252 otherwise. Lines end at CR LF or a lone CR, as characters of the text's own
// encoding; each line is followed by CR LF in the text, the last one included. Bytes that form
// no character show as U+FFFD.
class ViewerDecoder {
 public:
  static constexpr std::size_t kUtf8Window = 64 * 1024;

  // `sizeHint`: the file's size, so the text is allocated once.
  explicit ViewerDecoder(std::size_t sizeHint = 0);

  void append(std::string_view bytes);
  // The text, or why it cannot be shown (UTF-32 is not read as text).
  ViewerText finish();

 private:
  void takeEncoding();
  void appendText(std::string_view bytes);
  void appendUtf16(std::string_view bytes);
  template <typename Char>
  void appendLines(std::basic_string<Char>& out, std::basic_string_view<Char> text);
  template <typename Char>
  void endLastLine(std::basic_string<Char>& out);

  std::size_t sizeHint_;
  std::string head_;  // the first bytes, until they tell the encoding
  std::optional<TextEncoding> encoding_;
  std::string start_;  // 8-bit text: its first kUtf8Window bytes
  bool beyondStart_ = false;
  std::string bytes_;     // 8-bit and UTF-8 text, its lines ended by CR LF
  std::u16string units_;  // UTF-16 text, its lines ended by CR LF
  std::optional<char> oddByte_;
  bool afterCr_ = false;
  bool lineOpen_ = false;
};

}  // namespace sorvane::viewer
