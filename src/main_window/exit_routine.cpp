#include "main_window/check_value.h"
#include "main_window/frm_sorvane.h"
#include "settings/settings_store.h"
#include "settings/window_picture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <iostream>

namespace sorvane::ui {
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

settings::WindowPicture frmSorvane::picture() const {
  settings::WindowPicture picture;
  // A window minimized from maximized reports both states; minimized wins.
  picture.state = isMinimized()   ? WindowState::Minimized
                  : isMaximized() ? WindowState::Maximized
                                  : WindowState::Normal;
  picture.width = outerWidth();
  picture.height = outerHeight();
  picture.folderMode = optFolderFile[0]->isChecked();
  picture.fileMode = optFolderFile[1]->isChecked();
  picture.folder = lblFolder->text();
  picture.findText = cmbFind->currentText();
  picture.replaceText = cmbReplace->currentText();
  picture.caseSensitive = checkValue(*chkCaseSensitive);
  picture.recursive = checkValue(*chkRecursive);
  picture.rememberFiles = checkValue(*chkRememberTheseFiles);
  picture.fileType = cmbFileTypes->currentText();
  picture.recentFinds = itemsOf(*cmbFind);
  picture.recentReplaces = itemsOf(*cmbReplace);
  picture.files = itemsOf(*lstFiles);
  return picture;
}

void frmSorvane::saveSettings() {
  settings::writeWindowPicture(store_, picture());
  // The program ends whether or not its settings could be kept; the user should know why.
  if (!store_.sync())
    std::cerr << "sorvane: could not save the settings to " << store_.location().toStdString() << '\n';
}

}  // namespace sorvane::ui
