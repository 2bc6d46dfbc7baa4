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
  explicit ShownText(DisplayEncoding encoding) : decoder_(*this, encoding) {}
  // Decodes `bytes`, whole code units of text in the encoding, in place of what it held.
  void decode(std::string_view bytes);

  std::string_view text() const { return text_; }
  std::size_t length() const { return ends_.size(); }
  // The first, or the last, `count` characters.
  std::string_view first(std::size_t count) const;
  std::string_view last(std::size_t count) const;

 private:
  void start(DisplayEncoding) override {}
  void characters(std::u16string_view text) override;
  void lineEnd() override;
  void notCharacter(std::string_view bytes) override;

  std::string text_;
  std::vector<std::size_t> ends_;  // where each character ends in text_
  DisplayDecoder decoder_;         // kept from stretch to stretch, with its room for text
};

}  // namespace sorvane
