#pragma once

#include <QStringList>

class QComboBox;

namespace sorvane::ui {

// Appends recent terms to a term box's list. The box's own text stays: a combo box would
// otherwise take the first item as its text when its list was empty.
void appendTerms(QComboBox& box, const QStringList& terms);

}  // namespace sorvane::ui
