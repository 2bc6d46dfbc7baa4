#pragma once

#include "vocabulary/vocabulary.h"

#include <QString>
#include <optional>

// Conversions of stored texts to the values controls need, lenient where users' stores rely
// on it and failing (no value) where the text does not convert.
namespace sorvane::settings {

// "True"/"False" in any letter case, or a number (0 is false).
std::optional<bool> textToBoolean(const QString& text);
// A number within -32768..32767, rounded to the nearest whole number (halves to even).
std::optional<int> textToInteger16(const QString& text);
// A number, for window sizes.
std::optional<float> textToSingle(const QString& text);
// The numeric value of the text's leading numeric part, 0 when it has none ("2x" is 2).
long long leadingNumber(const QString& text);
// A size as text: integral values without a decimal part.
QString singleToText(float value);
QString booleanToText(bool value);
// A check state as its digit.
QString checkValueToText(CheckValue value);

}  // namespace sorvane::settings
