#pragma once

#include <QStringList>

class QComboBox;
class QString;
class QWidget;

namespace sorvane::ui {

// The file-type box of folder mode: the listed types first, in their order, then the mask texts
// runs took, newest first; any text may be typed.
QComboBox* createFileTypesBox(QWidget* parent);
// Puts the listed types and `recentMasks` in the list, the box's text left empty.
void fillFileTypes(QComboBox& box, const QStringList& recentMasks);
// Shows `text` as a listed type when it is one, else as typed text.
void showFileTypeText(QComboBox& box, const QString& text);
// `masks` heads the recent mask texts, once, and the oldest past the tenth go.
void recordFileMasks(QComboBox& box, const QString& masks);
QStringList recentFileMasks(const QComboBox& box);

}  // namespace sorvane::ui
