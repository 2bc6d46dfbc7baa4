#include "main_window/file_types_box.h"

#include "vocabulary/vocabulary.h"

#include <QComboBox>

namespace sorvane::ui {
namespace {

constexpr int kListedTypes = static_cast<int>(kFileTypes.size());
constexpr int kRecentMasksKept = 10;

}  // namespace

QComboBox* createFileTypesBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);  // only a run records a mask text
  // A completion would turn a typed "A*" into "All Files (*.*)".
  box->setCompleter(nullptr);
  box->setToolTip(QStringLiteral("A listed type, or masks separated by \";\": *.cpp; *.h; !*.min.js (\"!\" leaves "
                                 "out); !build/ (a final \"/\" names folders not entered)"));
  return box;
}

void fillFileTypes(QComboBox& box, const QStringList& recentMasks) {
  for (const FileType& type : kFileTypes) box.addItem(QString::fromLatin1(type.caption));
  box.addItems(recentMasks.mid(0, kRecentMasksKept));
  box.setCurrentIndex(-1);
  box.setEditText(QString());
}

void showFileTypeText(QComboBox& box, const QString& text) {
  const int listed = box.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (listed >= 0 && listed < kListedTypes)
    box.setCurrentIndex(listed);
  else
    box.setEditText(text);
}

void recordFileMasks(QComboBox& box, const QString& masks) {
  const QString text = box.currentText();  // taking an item out of the list must not change it
  for (int i = box.count() - 1; i >= kListedTypes; --i)
    if (box.itemText(i) == masks) box.removeItem(i);
  box.insertItem(kListedTypes, masks);
  while (box.count() > kListedTypes + kRecentMasksKept) box.removeItem(box.count() - 1);
  box.setEditText(text);
}

QStringList recentFileMasks(const QComboBox& box) {
  QStringList masks;
  for (int i = kListedTypes; i < box.count(); ++i) masks.append(box.itemText(i));
  return masks;
}

}  // namespace sorvane::ui
