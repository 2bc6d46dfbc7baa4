#include "viewer/viewer_decoder.h"

#include "engine/text/text_encoding.h"
#include "engine/text/utf16_units.h"
#include "engine/text/utf8_units.h"
#include "viewer/windows_1252.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace sorvane::viewer {
namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// A character cut off by the end of the bytes counts as UTF-8 when `cutOff` says the bytes
// were cut from a longer text.
bool isUtf8(std::string_view bytes, bool cutOff) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  while (p < end) {
    const utf8::Unit unit = utf8::decodeUnit(p, end);
    if (unit.value >= utf8::kInvalidByteBase) return unit.truncated && cutOff;
    p += unit.length;
  }
  return true;
}

}  // namespace

ViewerDecoder::ViewerDecoder(ViewerTextSink& sink, std::size_t fileSize) : sink_(sink), fileSize_(fileSize) {}

void ViewerDecoder::append(std::string_view bytes) {
  if (decoding_) {
    decode(bytes);
  } else {
    held_.append(bytes);
    settleDecoding(false);
  }
  handOn();
}

std::optional<Failure> ViewerDecoder::finish() {
  if (!decoding_) settleDecoding(true);
  switch (*decoding_) {
    case Decoding::NotText:
      return notTextFailure();
    case Decoding::Utf8:
      appendLines(QString::fromUtf8(utf8Tail_.data(), static_cast<qsizetype>(utf8Tail_.size())));
      break;
    case Decoding::Utf16LE:
    case Decoding::Utf16BE:
      if (highSurrogate_) appendLines(QStringView(&kReplacementCharacter, 1));
      if (oddByte_) appendLines(QStringView(&kReplacementCharacter, 1));
      break;
    case Decoding::Windows1252:
      break;
  }
  endLastLine();
  handOn();
  return std::nullopt;
}

// Decides how the text is decoded once the held bytes, or all of the file (`atEnd`), tell it,
// and decodes what was held. Says whether it could decide.
bool ViewerDecoder::settleDecoding(bool atEnd) {
  if (held_.size() < kEncodingSignatureLength && !atEnd) return false;
  const TextEncoding encoding = encodingOf(held_);
  const std::string_view text = std::string_view(held_).substr(std::min(held_.size(), byteOrderMarkLength(encoding)));
  switch (encoding) {
    case TextEncoding::Utf32:
      decoding_ = Decoding::NotText;
      break;
    case TextEncoding::Utf16LE:
      decoding_ = Decoding::Utf16LE;
      break;
    case TextEncoding::Utf16BE:
      decoding_ = Decoding::Utf16BE;
      break;
    case TextEncoding::Utf8WithBom:
      decoding_ = Decoding::Utf8;
      break;
    case TextEncoding::Bytes:
      // Only a byte past the window tells that a character cut off by its edge goes on.
      if (text.size() <= kUtf8Window && !atEnd) return false;
      decoding_ = isUtf8(text.substr(0, kUtf8Window), text.size() > kUtf8Window) ? Decoding::Utf8
                                                                                 : Decoding::Windows1252;
      break;
  }
  // About a character for each byte, or for each two in UTF-16.
  const bool twoBytesEach = decoding_ == Decoding::Utf16LE || decoding_ == Decoding::Utf16BE;
  if (decoding_ != Decoding::NotText) sink_.start(static_cast<qsizetype>(twoBytesEach ? fileSize_ / 2 : fileSize_));
  decode(text);
  held_ = std::string();
  return true;
}

void ViewerDecoder::decode(std::string_view bytes) {
  switch (*decoding_) {
    case Decoding::Utf8:
      appendUtf8(bytes);
      return;
    case Decoding::Windows1252:
      appendLines(fromWindows1252(bytes));
      return;
    case Decoding::Utf16LE:
    case Decoding::Utf16BE:
      appendUtf16(bytes);
      return;
    case Decoding::NotText:
      return;
  }
}

// An ASCII byte is a character of its own and ends any sequence before it, so the bytes up to
// the last one decode as they would within the whole text.
void ViewerDecoder::appendUtf8(std::string_view bytes) {
  const auto lastAscii =
      std::find_if(bytes.rbegin(), bytes.rend(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
  const auto whole = static_cast<std::size_t>(std::distance(lastAscii, bytes.rend()));
  if (whole == 0) {
    utf8Tail_.append(bytes);
    return;
  }
  utf8Tail_.append(bytes.substr(0, whole));
  appendLines(QString::fromUtf8(utf8Tail_.data(), static_cast<qsizetype>(utf8Tail_.size())));
  utf8Tail_.assign(bytes.substr(whole));
}

// A code unit may be split between two chunks, and so may a surrogate pair; half a pair is no
// character.
void ViewerDecoder::appendUtf16(std::string_view bytes) {
  const auto order =
      decoding_ == Decoding::Utf16LE ? utf16::ByteOrder::LittleEndian : utf16::ByteOrder::BigEndian;
  std::u16string units;
  units.reserve(bytes.size() / 2 + 2);
  if (highSurrogate_) units += *std::exchange(highSurrogate_, std::nullopt);
  std::size_t at = 0;
  if (oddByte_ && !bytes.empty()) {
    const unsigned char pair[2] = {static_cast<unsigned char>(*oddByte_), static_cast<unsigned char>(bytes[0])};
    units += utf16::unitAt(pair, order);
    oddByte_.reset();
    at = 1;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (; at + 2 <= bytes.size(); at += 2) units += utf16::unitAt(data + at, order);
  if (at < bytes.size()) oddByte_ = bytes[at];
  if (!units.empty() && utf16::isHighSurrogate(units.back())) {
    highSurrogate_ = units.back();
    units.pop_back();
  }
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (utf16::isHighSurrogate(units[i]) && i + 1 < units.size() && utf16::isLowSurrogate(units[i + 1]))
      ++i;
    else if (utf16::isHighSurrogate(units[i]) || utf16::isLowSurrogate(units[i]))
      units[i] = kReplacementCharacter;
  }
  appendLines(units);
}

// A CR at the end of one chunk may be the first half of a CR LF split across two.
void ViewerDecoder::appendLines(QStringView text) {
  constexpr char16_t CR = u'\r';
  constexpr char16_t LF = u'\n';
  qsizetype at = 0;
  if (afterCr_ && !text.isEmpty()) {
    afterCr_ = false;
    if (text.front() == LF) at = 1;
  }
  while (at < text.size()) {
    const qsizetype found = text.indexOf(QChar(CR), at);
    const qsizetype end = found < 0 ? text.size() : found;
    if (end > at) {
      text_.append(text.mid(at, end - at));
      lineOpen_ = true;
    }
    if (found < 0) return;
    text_.append(u"\r\n");
    lineOpen_ = false;
    at = end + 1;
    if (at == text.size()) afterCr_ = true;
    else if (text[at] == QChar(LF)) ++at;
  }
}

// The end of the file ends the last line.
void ViewerDecoder::endLastLine() {
  if (lineOpen_) text_.append(u"\r\n");
  lineOpen_ = false;
}

// Keeps the buffer, which the next chunk fills again.
void ViewerDecoder::handOn() {
  if (text_.isEmpty()) return;
  sink_.append(text_);
  text_.resize(0);
}

}  // namespace sorvane::viewer
