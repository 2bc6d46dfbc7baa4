#include "main_window/term_box.h"

#include <QComboBox>

namespace sorvane::ui {

void appendTerms(QComboBox& box, const QStringList& terms) {
  const QString text = box.currentText();
  box.addItems(terms);
  box.setEditText(text);
}

}  // namespace sorvane::ui
