#pragma once

#include "engine/display/display_encoding.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sorvane {

// Where a decoded text goes, a piece at a time, as its bytes come. Whoever shows it decides how
// a line end and a byte that forms no character look.
class DisplayTextSink {
 public:
  virtual ~DisplayTextSink() = default;
  // Once the encoding is known, before any text.
  virtual void start(DisplayEncoding encoding) = 0;
  // Whole characters, as UTF-16: a surrogate pair is never split between two calls. A lone LF
  // is a character: only CR LF and a lone CR end a line.
  virtual void characters(std::u16string_view text) = 0;
  // A CR LF or a lone CR.
  virtual void lineEnd() = 0;
  // The bytes of one unit that forms no character: a byte outside any UTF-8 sequence, the two
  // bytes of a lone UTF-16 surrogate, or the odd last byte of UTF-16 text.
  virtual void notCharacter(std::string_view bytes) = 0;
};

// Decodes a text's bytes as they come and hands the text on at once, so no step costs more than
// the bytes it is given. A line end or a character may be split between two pieces of bytes.
class DisplayDecoder {
 public:
  // A file's text from its first byte: its encoding is told as displayEncodingOf() tells it,
  // and its byte order mark is not shown.
  explicit DisplayDecoder(DisplayTextSink& sink);
  // Text without a byte order mark in a known encoding.
  DisplayDecoder(DisplayTextSink& sink, DisplayEncoding encoding);

  void append(std::string_view bytes);
  // The end of the text: a character it cut short forms none. Bytes appended after it start a
  // new text in the same encoding.
  void finish();
  // Nothing until the first bytes have told it.
  std::optional<DisplayEncoding> encoding() const { return encoding_; }

 private:
  void settle(bool whole);
  void decode(std::string_view bytes);
  void decodeUtf8(std::string_view bytes);
  void decodeWindows1252(std::string_view bytes);
  void decodeUtf16(std::string_view bytes);
  // Moves the ASCII characters at `p` to the text, sixteen at a time where it can, up to a CR or
  // a byte of another character.
  const unsigned char* copyAscii(const unsigned char* p, const unsigned char* end);
  void utf8Unit(char32_t value, const unsigned char* bytes);
  void utf16Unit(char16_t unit);
  void character(char32_t character);
  void lineEnd();  // at a CR
  void loneSurrogate(char16_t unit);
  void notCharacter(std::string_view bytes);
  void handOn();

  DisplayTextSink& sink_;
  std::optional<DisplayEncoding> encoding_;
  std::string undecided_;  // the first bytes, until they tell the encoding
  std::string cutOff_;     // the start of a UTF-8 sequence that the bytes so far end inside
  std::optional<unsigned char> oddByte_;
  std::optional<char16_t> highSurrogate_;  // the last unit so far: the next one may complete it
  bool afterCr_ = false;                   // the last character was a CR, which an LF would join
  std::u16string text_;                    // room for the text of one piece of bytes
  std::size_t decoded_ = 0;                // characters in text_ not handed on yet
};

}  // namespace sorvane
