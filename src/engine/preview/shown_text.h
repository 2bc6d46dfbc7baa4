#pragma once

#include "engine/display/display_decoder.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane {

// A stretch of a file's text as a preview shows it (display_form.h), character by character,
// so it can be cut between characters. A line end, which only an occurrence or a replacement
// holds, is one LF.
class ShownText final : private DisplayTextSink {
 public:
  explicit ShownText(DisplayEncoding encoding)
      : eightBit_(encoding == DisplayEncoding::Utf8 || encoding == DisplayEncoding::Windows1252),
        decoder_(*this, encoding) {}
  // Decodes `bytes`, whole code units of text in the encoding, in place of what it held. Text
  // that shows as it is stays where it is: what the text and its parts show is valid while
  // `bytes` are, until the next decode.
  void decode(std::string_view bytes);

  std::string_view text() const { return shown_; }
  std::size_t length() const { return length_; }
  // The first, or the last, `count` characters.
  std::string_view first(std::size_t count) const;
  std::string_view last(std::size_t count) const;

 private:
  void start(DisplayEncoding) override {}
  void characters(std::u16string_view text) override;
  void lineEnd() override;
  void notCharacter(std::string_view bytes) override;
  // Counts a character that took text_ from `start` on.
  void counted(std::size_t start);
  // Where the character numbered `count` from 0 starts in text_.
  std::size_t startOf(std::size_t count) const;

  // A character that takes more than one byte, and the bytes over one that it and those before
  // it take: most text takes one byte a character, and is counted without a note for each.
  struct Wide {
    std::size_t character;
    std::size_t extraBytes;
  };
  const bool eightBit_;  // whose ASCII bytes are the characters they show
  std::string text_;        // what was decoded
  std::string_view shown_;  // the text: text_, or bytes that show as they are
  std::size_t length_ = 0;  // in characters
  std::vector<Wide> wide_;
  DisplayDecoder decoder_;  // kept from stretch to stretch, with its room for text
};

}  // namespace sorvane
