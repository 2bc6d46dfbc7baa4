#pragma once

#include "vocabulary/vocabulary.h"

class QCheckBox;

namespace sorvane::ui {

// Check-box values as the program stores and tests them. (Qt orders its states Cleared,
// Grayed, Checked.)
CheckValue checkValue(const QCheckBox& box);
void setCheckValue(QCheckBox& box, CheckValue value);

// A box that only a stored value can gray: once the user toggles it, it goes between clear
// and ticked alone.
void keepTwoStateForUser(QCheckBox& box);

}  // namespace sorvane::ui
