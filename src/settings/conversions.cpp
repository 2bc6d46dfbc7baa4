#include "settings/conversions.h"

#include <charconv>
#include <cmath>
#include <string>

namespace sorvane::settings {
namespace {

std::optional<double> number(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<bool> textToBoolean(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
  if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
  if (const auto value = number(text)) return *value != 0;
  return std::nullopt;
}

std::optional<int> textToInteger16(const QString& text) {
  const auto value = number(text);
  if (!value) return std::nullopt;
  const double rounded = std::nearbyint(*value);  // the default rounding mode rounds halves to even
  if (rounded < -32768 || rounded > 32767) return std::nullopt;
  return static_cast<int>(rounded);
}

std::optional<float> textToSingle(const QString& text) {
  const auto value = number(text);
  if (!value || std::fabs(*value) > 3.4e38) return std::nullopt;
  return static_cast<float>(*value);
}

long long leadingNumber(const QString& text) {
  const std::string bytes = text.trimmed().toStdString();
  long long value = 0;
  const char* begin = bytes.data();
  if (!bytes.empty() && bytes.front() == '+') ++begin;
  std::from_chars(begin, bytes.data() + bytes.size(), value);  // stops at the first non-digit
  return value;
}

QString singleToText(float value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return QString::fromLatin1(text, static_cast<qsizetype>(result.ptr - text));
}

QString booleanToText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

QString checkValueToText(CheckValue value) { return QString::number(static_cast<int>(value)); }

}  // namespace sorvane::settings
