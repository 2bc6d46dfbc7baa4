#pragma once

class QCheckBox;

namespace sorvane::ui {

// Check-box values as the program stores and tests them: 0 clear, 1 ticked, 2 grayed.
// (Qt numbers its states 0, 2 and 1.)
int checkValue(const QCheckBox& box);
void setCheckValue(QCheckBox& box, int value);

// A box that only a stored value can gray: once the user toggles it, it goes between clear
// and ticked alone.
void keepTwoStateForUser(QCheckBox& box);

}  // namespace sorvane::ui
