#include "main_window/check_value.h"

#include <QCheckBox>

namespace sorvane::ui {

int checkValue(const QCheckBox& box) {
  switch (box.checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    default:
      return 0;
  }
}

void setCheckValue(QCheckBox& box, int value) {
  box.setTristate(value == 2);
  box.setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void keepTwoStateForUser(QCheckBox& box) {
  QObject::connect(&box, &QCheckBox::stateChanged, &box, [&box](int state) {
    if (state != Qt::PartiallyChecked) box.setTristate(false);
  });
}

}  // namespace sorvane::ui
