#include "main_window/check_value.h"

#include <QCheckBox>

namespace sorvane::ui {

CheckValue checkValue(const QCheckBox& box) {
  switch (box.checkState()) {
    case Qt::Checked:
      return CheckValue::Checked;
    case Qt::PartiallyChecked:
      return CheckValue::Grayed;
    default:
      return CheckValue::Cleared;
  }
}

void setCheckValue(QCheckBox& box, CheckValue value) {
  box.setTristate(value == CheckValue::Grayed);
  box.setCheckState(value == CheckValue::Checked  ? Qt::Checked
                    : value == CheckValue::Grayed ? Qt::PartiallyChecked
                                                  : Qt::Unchecked);
}

void keepTwoStateForUser(QCheckBox& box) {
  QObject::connect(&box, &QCheckBox::stateChanged, &box, [&box](int state) {
    if (state != Qt::PartiallyChecked) box.setTristate(false);
  });
}

}  // namespace sorvane::ui
