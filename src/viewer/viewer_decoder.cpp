#include "viewer/viewer_decoder.h"

#include "engine/text/utf16_units.h"
#include "engine/text/utf8_units.h"
#include "viewer/windows_1252.h"

#include <algorithm>

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

void replaceLoneSurrogates(std::u16string& units) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (utf16::isHighSurrogate(units[i]) && i + 1 < units.size() && utf16::isLowSurrogate(units[i + 1])) {
      ++i;
    } else if (utf16::isHighSurrogate(units[i]) || utf16::isLowSurrogate(units[i])) {
      units[i] = kReplacementCharacter;
    }
  }
}

}  // namespace

ViewerDecoder::ViewerDecoder(std::size_t sizeHint) : sizeHint_(sizeHint) {}

void ViewerDecoder::append(std::string_view bytes) {
  if (!encoding_) {
    const std::size_t taken = std::min(bytes.size(), kEncodingSignatureLength - head_.size());
    head_.append(bytes.substr(0, taken));
    bytes.remove_prefix(taken);
    if (head_.size() < kEncodingSignatureLength) return;
    takeEncoding();
  }
  appendText(bytes);
}

ViewerText ViewerDecoder::finish() {
  if (!encoding_) takeEncoding();
  switch (*encoding_) {
    case TextEncoding::Utf32:
      return {QString(), notTextFailure()};
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      if (oddByte_) appendLines(units_, std::u16string_view(&kReplacementCharacter, 1));
      endLastLine(units_);
      replaceLoneSurrogates(units_);
      return {QString(reinterpret_cast<const QChar*>(units_.data()), static_cast<qsizetype>(units_.size())),
              std::nullopt};
    case TextEncoding::Bytes:
      endLastLine(bytes_);
      if (!isUtf8(start_, beyondStart_)) return {fromWindows1252(bytes_), std::nullopt};
      break;
    case TextEncoding::Utf8WithBom:
      endLastLine(bytes_);
      break;
  }
  return {QString::fromUtf8(bytes_.data(), static_cast<qsizetype>(bytes_.size())), std::nullopt};
}

void ViewerDecoder::takeEncoding() {
  encoding_ = encodingOf(head_);
  // Lone CRs grow the text by one character each; most files have none.
  if (*encoding_ == TextEncoding::Utf16LE || *encoding_ == TextEncoding::Utf16BE)
    units_.reserve(sizeHint_ / 2 + 2);
  else
    bytes_.reserve(sizeHint_ + 2);
  appendText(std::string_view(head_).substr(std::min(head_.size(), byteOrderMarkLength(*encoding_))));
}

void ViewerDecoder::appendText(std::string_view bytes) {
  switch (*encoding_) {
    case TextEncoding::Utf32:
      return;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      appendUtf16(bytes);
      return;
    case TextEncoding::Bytes: {
      const std::size_t taken = std::min(bytes.size(), kUtf8Window - start_.size());
      start_.append(bytes.substr(0, taken));
      beyondStart_ = beyondStart_ || taken < bytes.size();
      break;
    }
    case TextEncoding::Utf8WithBom:
      break;
  }
  appendLines(bytes_, bytes);
}

// A code unit may be split between two chunks.
void ViewerDecoder::appendUtf16(std::string_view bytes) {
  const auto order =
      *encoding_ == TextEncoding::Utf16LE ? utf16::ByteOrder::LittleEndian : utf16::ByteOrder::BigEndian;
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
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
  appendLines(units_, std::u16string_view(units));
}

// A CR at the end of one chunk may be the first half of a CR LF split across two.
template <typename Char>
void ViewerDecoder::appendLines(std::basic_string<Char>& out, std::basic_string_view<Char> text) {
  constexpr Char CR = '\r';
  constexpr Char LF = '\n';
  std::size_t at = 0;
  if (afterCr_ && !text.empty()) {
    afterCr_ = false;
    if (text.front() == LF) at = 1;
  }
  while (at < text.size()) {
    const std::size_t found = text.find(CR, at);
    const std::size_t end = std::min(found, text.size());
    if (end > at) {
      out.append(text.substr(at, end - at));
      lineOpen_ = true;
    }
    if (found == text.npos) return;
    out += CR;
    out += LF;
    lineOpen_ = false;
    at = end + 1;
    if (at == text.size()) afterCr_ = true;
    else if (text[at] == LF) ++at;
  }
}

// The end of the file ends the last line.
template <typename Char>
void ViewerDecoder::endLastLine(std::basic_string<Char>& out) {
  if (lineOpen_) out += {Char('\r'), Char('\n')};
  lineOpen_ = false;
}

}  // namespace sorvane::viewer
