#pragma once

#include "engine/files/failure.h"
#include "viewer/viewer_text_sink.h"

#include <QString>
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
// no character show as U+FFFD. The bytes are decoded as they come and the text handed on at once,
// so no step costs more than a chunk.
class ViewerDecoder {
 public:
  static constexpr std::size_t kUtf8Window = 64 * 1024;

  // The text goes to `sink`; `fileSize` tells it about how long the text will be.
  ViewerDecoder(ViewerTextSink& sink, std::size_t fileSize);

  void append(std::string_view bytes);
  // Hands on the rest of the text; says why the text cannot be shown, if it cannot (UTF-32 is
  // not read as text).
  std::optional<Failure> finish();

 private:
  enum class Decoding { Utf8, Windows1252, Utf16LE, Utf16BE, NotText };

  bool settleDecoding(bool atEnd);
  void decode(std::string_view bytes);
  void appendUtf8(std::string_view bytes);
  void appendUtf16(std::string_view bytes);
  void appendLines(QStringView text);
  void endLastLine();
  void handOn();

  ViewerTextSink& sink_;
  std::size_t fileSize_;
  std::string held_;  // the first bytes, until they tell how the text is decoded
  std::optional<Decoding> decoding_;
  std::string utf8Tail_;  // UTF-8 after the last ASCII byte so far: it may go on in the next bytes
  std::optional<char> oddByte_;
  std::optional<char16_t> highSurrogate_;  // the last unit so far: the next one may complete it
  QString text_;  // decoded and not yet handed on, its lines ended by CR LF
  bool afterCr_ = false;
  bool lineOpen_ = false;
};

}  // namespace sorvane::viewer
