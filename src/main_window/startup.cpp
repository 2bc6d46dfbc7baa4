#include "main_window/check_value.h"
#include "main_window/file_types_box.h"
#include "main_window/frm_sorvane.h"
#include "main_window/tab_order.h"
#include "main_window/term_box.h"
#include "settings/window_picture.h"
#include "sorvane/version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

namespace sorvane::ui {
namespace {

// The smallest outer size start-up restores, in twips.
constexpr Twips kMinimumWidth = 8000;
constexpr Twips kMinimumHeight = 4800;

void restoreCheck(QCheckBox& box, std::optional<CheckValue> value) {
  if (value) setCheckValue(box, *value);
}

}  // namespace

void frmSorvane::Form_Load() {
  const settings::WindowPicture saved = settings::readWindowPicture(store_);
  const MainWindowWidgets& w = widgets_;
  restoreSize(saved);
  setStartupTabOrder(w);
  setWindowTitle(QStringLiteral("%1 Version %2.%3.%4")
                     .arg(QString::fromLatin1(kApplicationTitle))
                     .arg(kVersionMajor)
                     .arg(kVersionMinor)
                     .arg(kVersionRevision));
  show();

  w.lblFolder->clear();
  w.cmbFind->setEditText(QString());
  w.cmbReplace->setEditText(QString());
  fillFileTypes(*w.cmbFileTypes, saved.recentFileMasks.value_or(QStringList()));

  restoreControls(saved);
  applyModeLayout(w.optFolderFile[0]->isChecked());

  if (saved.recentFinds) appendTerms(*w.cmbFind, *saved.recentFinds);
  if (saved.recentReplaces) appendTerms(*w.cmbReplace, *saved.recentReplaces);
  if (saved.files) w.lstFiles->addItems(*saved.files);
  showRunToUndo();
  // Typing goes into the find box at once, over the last term, as after a run.
  w.cmbFind->setFocus(Qt::OtherFocusReason);
}

void frmSorvane::restoreSize(const settings::WindowPicture& saved) {
  if (saved.state == WindowState::Maximized) {
    setWindowState(Qt::WindowMaximized);
    return;
  }
  if (saved.width) setOuterSize(*saved.width, outerHeight());
  if (outerWidth() < kMinimumWidth) setOuterSize(kMinimumWidth, outerHeight());
  if (saved.height) setOuterSize(outerWidth(), *saved.height);
  if (outerHeight() < kMinimumHeight) setOuterSize(outerWidth(), kMinimumHeight);
}

void frmSorvane::restoreControls(const settings::WindowPicture& saved) {
  const MainWindowWidgets& w = widgets_;
  if (saved.folderMode) setOptionValue(0, *saved.folderMode);
  // No folder chosen yet: the folder stays empty, so a run in folder mode rewrites nothing.
  showFolder(saved.folder);
  restoreCheck(*w.chkRecursive, saved.recursive);
  if (saved.fileMode) setOptionValue(1, *saved.fileMode);
  w.cmbFind->setEditText(saved.findText);
  w.cmbReplace->setEditText(saved.replaceText);
  restoreCheck(*w.chkCaseSensitive, saved.caseSensitive);
  restoreCheck(*w.chkWholeWord, saved.wholeWord);
  restoreCheck(*w.chkRegularExpression, saved.regularExpression);
  restoreCheck(*w.chkRememberTheseFiles, saved.rememberFiles);
  showFileTypeText(*w.cmbFileTypes, saved.fileType);
}

}  // namespace sorvane::ui
