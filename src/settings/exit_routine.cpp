#include "settings/exit_routine.h"

#include "main_window/check_value.h"
#include "main_window/frm_sorvane.h"
#include "settings/conversions.h"
#include "settings/numbered_list.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

namespace sorvane::settings {
namespace {

QStringList itemsOf(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items.append(box.itemText(i));
  return items;
}

QStringList itemsOf(const QListWidget& list) {
  QStringList items;
  for (int i = 0; i < list.count(); ++i) items.append(list.item(i)->text());
  return items;
}

}  // namespace

void saveWindowSettings(const ui::frmSorvane& w, SettingsStore& store) {
  auto save = [&store](const QString& key, const QString& value) { store.SaveSetting(kSectionSettings, key, value); };

  // Minimized, no window key is written; a window minimized from maximized reports both states.
  if (w.isMaximized() && !w.isMinimized()) {
    save(kWindowMaximized, booleanToText(true));  // the normal size of an earlier exit stays
  } else if (!w.isMinimized()) {
    save(kWindowMaximized, booleanToText(false));
    save(kWindowWidth, singleToText(w.outerWidth()));
    save(kWindowHeight, singleToText(w.outerHeight()));
  }

  save(kSelectAFolder, booleanToText(w.optFolderFile[0]->isChecked()));
  save(kSelectFiles, booleanToText(w.optFolderFile[1]->isChecked()));
  save(kPath, w.lblFolder->text());
  save(kTextFind, w.cmbFind->currentText());
  save(kTextReplace, w.cmbReplace->currentText());
  save(kCaseSensitive, QString::number(ui::checkValue(*w.chkCaseSensitive)));
  save(kCheckboxRecursive, QString::number(ui::checkValue(*w.chkRecursive)));
  save(kRememberTheseFiles, QString::number(ui::checkValue(*w.chkRememberTheseFiles)));
  save(kFileTypesToSearch, w.cmbFileTypes->currentText());

  // Each list writes its count with its entries, so the two always agree.
  writeNumberedList(store, kRecentFinds, itemsOf(*w.cmbFind));
  writeNumberedList(store, kRecentReplaces, itemsOf(*w.cmbReplace));
  if (ui::checkValue(*w.chkRememberTheseFiles) == 1) writeNumberedList(store, kRememberedFiles, itemsOf(*w.lstFiles));
}

}  // namespace sorvane::settings
