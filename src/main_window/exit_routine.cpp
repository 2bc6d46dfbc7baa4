#include "main_window/check_value.h"
#include "main_window/file_types_box.h"
#include "main_window/frm_sorvane.h"
#include "main_window/window_replace_host.h"
#include "settings/settings_store.h"
#include "settings/window_picture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
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

void frmSorvane::cmdExit_Click() {
  if (exiting_) return;  // settings are written once per run
  exiting_ = true;
  saveSettings();
  replaceHost_->abandonRun();  // a run under way abandons its file and ends
  QCoreApplication::quit();
}

settings::WindowPicture frmSorvane::picture() const {
  const MainWindowWidgets& w = widgets_;
  settings::WindowPicture picture;
  // A window minimized from maximized reports both states; minimized wins.
  picture.state = isMinimized()   ? WindowState::Minimized
                  : isMaximized() ? WindowState::Maximized
                                  : WindowState::Normal;
  picture.width = outerWidth();
  picture.height = outerHeight();
  picture.folderMode = w.optFolderFile[0]->isChecked();
  picture.fileMode = w.optFolderFile[1]->isChecked();
  picture.folder = w.lblFolder->text();
  picture.findText = w.cmbFind->currentText();
  picture.replaceText = w.cmbReplace->currentText();
  picture.caseSensitive = checkValue(*w.chkCaseSensitive);
  picture.wholeWord = checkValue(*w.chkWholeWord);
  picture.regularExpression = checkValue(*w.chkRegularExpression);
  picture.recursive = checkValue(*w.chkRecursive);
  picture.rememberFiles = checkValue(*w.chkRememberTheseFiles);
  picture.fileType = w.cmbFileTypes->currentText();
  picture.recentFinds = itemsOf(*w.cmbFind);
  picture.recentReplaces = itemsOf(*w.cmbReplace);
  picture.recentFileMasks = recentFileMasks(*w.cmbFileTypes);
  picture.files = itemsOf(*w.lstFiles);
  return picture;
}

void frmSorvane::saveSettings() {
  settings::writeWindowPicture(store_, picture());
  // The program ends whether or not its settings could be kept; the user should know why.
  if (!store_.sync())
    std::cerr << "sorvane: could not save the settings to " << store_.location().toStdString() << '\n';
}

}  // namespace sorvane::ui
