#include "settings/startup.h"

#include "main_window/check_value.h"
#include "main_window/folder_views.h"
#include "main_window/frm_sorvane.h"
#include "main_window/term_box.h"
#include "settings/conversions.h"
#include "settings/numbered_list.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "settings/stored_folder.h"
#include "engine/file_types.h"
#include "sorvane/version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace sorvane::settings {
namespace {

using ui::frmSorvane;

QString setting(const SettingsStore& store, const QString& key, const QString& defaultValue) {
  return store.GetSetting(kSectionSettings, key, defaultValue);
}

void restoreSize(frmSorvane& window, const SettingsStore& store) {
  if (setting(store, kWindowMaximized, QStringLiteral("False")) == QLatin1String("True")) {
    window.setWindowState(Qt::WindowMaximized);
    return;
  }
  if (const auto width = textToSingle(setting(store, kWindowWidth, QStringLiteral("8000"))))
    window.setOuterSize(*width, window.outerHeight());
  if (window.outerWidth() < kMinimumWidth) window.setOuterSize(kMinimumWidth, window.outerHeight());
  if (const auto height = textToSingle(setting(store, kWindowHeight, QStringLiteral("4800"))))
    window.setOuterSize(window.outerWidth(), *height);
  if (window.outerHeight() < kMinimumHeight) window.setOuterSize(window.outerWidth(), kMinimumHeight);
}

// The start-up tab order; the labels and display lists follow in their designed order.
void setTabOrder(frmSorvane& w) {
  QWidget* const order[] = {w.optFolderFile[0], w.optFolderFile[1], w.frameFolder, w.lblFolder,  w.cmdBrowse,
                            w.chkRecursive,     w.frameFiles,       w.lstFiles,    w.cmdOpen,    w.cmdClose,
                            w.cmdCloseAll,      w.chkRememberTheseFiles, w.frameControls, w.cmbFind, w.cmbReplace,
                            w.chkCaseSensitive, w.cmbFileTypes,     w.cmdHelp,     w.cmdReplace, w.cmdExit,
                            w.Dir1,             w.File1,            w.lblReplace,  w.lblFind,    w.lblFileTypes};
  for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  // Each listed control goes to the back in turn: the earliest listed ends uppermost.
  for (std::size_t i = 0; i < 20; ++i) order[i]->lower();
}

bool restoreCheck(QCheckBox& box, const QString& text) {
  const auto value = textToInteger16(text);
  if (!value || *value < 0 || *value > 2) return false;
  ui::setCheckValue(box, *value);
  return true;
}

void restoreOptions(frmSorvane& w, const SettingsStore& store) {
  if (const auto on = textToBoolean(setting(store, kSelectAFolder, QStringLiteral("True")))) w.setOptionValue(0, *on);
  // No folder chosen yet: the folder stays empty, so a run in folder mode rewrites nothing.
  w.lblFolder->setText(storedFolder(store));
  w.lblFolder->setToolTip(storedFolder(store));
  w.Dir1->setPath(storedFolder(store));
  w.File1->setPath(storedFolder(store));
  restoreCheck(*w.chkRecursive, setting(store, kCheckboxRecursive, QStringLiteral("0")));
  if (const auto on = textToBoolean(setting(store, kSelectFiles, QStringLiteral("False")))) w.setOptionValue(1, *on);
  w.cmbFind->setEditText(setting(store, kTextFind, QString()));
  w.cmbReplace->setEditText(setting(store, kTextReplace, QString()));
  restoreCheck(*w.chkCaseSensitive, setting(store, kCaseSensitive, QStringLiteral("1")));
  restoreCheck(*w.chkRememberTheseFiles, setting(store, kRememberTheseFiles, QStringLiteral("0")));
  const int type = w.cmbFileTypes->findText(setting(store, kFileTypesToSearch, QStringLiteral("All Files (*.*)")),
                                            Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (type >= 0) w.cmbFileTypes->setCurrentIndex(type);
}

}  // namespace

void Form_Load(frmSorvane& window, SettingsStore& store) {
  restoreSize(window, store);
  setTabOrder(window);
  window.setWindowTitle(QStringLiteral("Sorvane Version %1.%2.%3")
                            .arg(kVersionMajor)
                            .arg(kVersionMinor)
                            .arg(kVersionRevision));
  window.show();

  window.lblFolder->clear();
  window.cmbFind->setEditText(QString());
  window.cmbReplace->setEditText(QString());
  for (const char* type : kFileTypeTexts) window.cmbFileTypes->addItem(QString::fromLatin1(type));
  window.cmbFileTypes->setCurrentIndex(-1);

  restoreOptions(window, store);
  window.applyModeLayout(window.optFolderFile[0]->isChecked());

  if (const auto finds = readNumberedList(store, kRecentFinds, false)) ui::appendTerms(*window.cmbFind, *finds);
  if (const auto replaces = readNumberedList(store, kRecentReplaces, false))
    ui::appendTerms(*window.cmbReplace, *replaces);
  if (const auto files = readNumberedList(store, kRememberedFiles, true)) window.lstFiles->addItems(*files);
}

}  // namespace sorvane::settings
