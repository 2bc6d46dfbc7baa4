#include "platform/file_names.h"

#include "engine/text/utf8_units.h"

#include <sys/stat.h>

namespace sorvane::platform {
namespace {

constexpr char16_t kEscapedByteBase = 0xDC00;

bool isEscapedByte(const QString& text, qsizetype at) {
  const char16_t unit = text[at].unicode();
  const bool afterHigh = at > 0 && text[at - 1].isHighSurrogate();
  return unit >= kEscapedByteBase + 0x80 && unit <= kEscapedByteBase + 0xFF && !afterHigh;
}

}  // namespace

QString shownPath(const std::string& path) {
  QString shown;
  shown.reserve(static_cast<qsizetype>(path.size()));
  const auto* p = reinterpret_cast<const unsigned char*>(path.data());
  const auto* const end = p + path.size();
  while (p < end) {
    const utf8::Unit unit = utf8::decodeUnit(p, end);
    if (unit.value >= utf8::kInvalidByteBase) {
      shown += QChar(static_cast<char16_t>(kEscapedByteBase + *p));
      ++p;
      continue;
    }
    const char32_t character = unit.value;
    shown += QString::fromUcs4(&character, 1);
    p += unit.length;
  }
  return shown;
}

std::string fileSystemPath(const QString& path) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(path.size()));
  qsizetype start = 0;  // of the text since the last escaped byte
  for (qsizetype at = 0; at <= path.size(); ++at) {
    if (at < path.size() && !isEscapedByte(path, at)) continue;
    bytes += path.sliced(start, at - start).toStdString();
    if (at < path.size()) bytes += static_cast<char>(path[at].unicode() - kEscapedByteBase);
    start = at + 1;
  }
  return bytes;
}

bool lostItsBytes(const QString& path) {
  struct stat status {};
  return path.contains(QChar::ReplacementCharacter) && ::lstat(fileSystemPath(path).c_str(), &status) != 0;
}

}  // namespace sorvane::platform
