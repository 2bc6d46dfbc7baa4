#pragma once

#include "engine/display/display_decoder.h"
#include "engine/files/failure.h"
#include "viewer/viewer_text_sink.h"

#include <QString>
#include <cstddef>
#include <optional>
#include <string_view>

namespace sorvane::viewer {

// Turns a file's bytes, as they arrive, into the text the viewer shows, decoded as
// DisplayDecoder decodes them: each line is followed by CR LF in the text, the last one
// included, and a unit that forms no character shows as U+FFFD. The text goes on to the sink
// once per piece of bytes.
class ViewerDecoder final : private DisplayTextSink {
 public:
  // The text goes to `sink`; `fileSize` tells it about how long the text will be.
  ViewerDecoder(ViewerTextSink& sink, std::size_t fileSize);

  void append(std::string_view bytes);
  // Hands on the rest of the text; says why the text cannot be shown, if it cannot (UTF-32 is
  // not read as text).
  std::optional<Failure> finish();

 private:
  void start(DisplayEncoding encoding) override;
  void characters(std::u16string_view text) override;
  void lineEnd() override;
  void notCharacter(std::string_view bytes) override;
  void handOn();

  ViewerTextSink& sink_;
  std::size_t fileSize_;
  DisplayDecoder decoder_;
  QString text_;  // decoded and not yet handed on, its lines ended by CR LF
  bool lineOpen_ = false;
};

}  // namespace sorvane::viewer
