#include "viewer/viewer_decoder.h"

namespace sorvane::viewer {

ViewerDecoder::ViewerDecoder(ViewerTextSink& sink, std::size_t fileSize)
    : sink_(sink), fileSize_(fileSize), decoder_(*this) {}

void ViewerDecoder::append(std::string_view bytes) {
  decoder_.append(bytes);
  handOn();
}

std::optional<Failure> ViewerDecoder::finish() {
  decoder_.finish();
  if (decoder_.encoding() == DisplayEncoding::NotText) return notTextFailure();
  // The end of the file ends the last line.
  if (lineOpen_) lineEnd();
  handOn();
  return std::nullopt;
}

void ViewerDecoder::start(DisplayEncoding encoding) {
  if (encoding == DisplayEncoding::NotText) return;
  // About a character for each byte, or for each two in UTF-16.
  const bool twoBytesEach = encoding == DisplayEncoding::Utf16LE || encoding == DisplayEncoding::Utf16BE;
  sink_.start(static_cast<qsizetype>(twoBytesEach ? fileSize_ / 2 : fileSize_));
}

void ViewerDecoder::characters(std::u16string_view text) {
  text_.append(QStringView(text.data(), static_cast<qsizetype>(text.size())));
  lineOpen_ = true;
}

void ViewerDecoder::lineEnd() {
  text_.append(u"\r\n");
  lineOpen_ = false;
}

void ViewerDecoder::notCharacter(std::string_view) {
  text_.append(QChar::ReplacementCharacter);
  lineOpen_ = true;
}

// Keeps the buffer, which the next piece fills again.
void ViewerDecoder::handOn() {
  if (text_.isEmpty()) return;
  sink_.append(text_);
  text_.resize(0);
}

}  // namespace sorvane::viewer
