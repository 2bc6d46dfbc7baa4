#include "main_window/check_value.h"
#include "main_window/folder_views.h"
#include "main_window/frm_sorvane.h"
#include "main_window/term_box.h"
#include "settings/window_picture.h"
#include "sorvane/version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
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
  restoreSize(saved);
  setStartupTabOrder();
  setWindowTitle(QStringLiteral("%1 Version %2.%3.%4")
                     .arg(QString::fromLatin1(kApplicationTitle))
                     .arg(kVersionMajor)
                     .arg(kVersionMinor)
                     .arg(kVersionRevision));
  show();

  lblFolder->clear();
  cmbFind->setEditText(QString());
  cmbReplace->setEditText(QString());
  for (const FileType& type : kFileTypes) cmbFileTypes->addItem(QString::fromLatin1(type.caption));
  cmbFileTypes->setCurrentIndex(-1);

  restoreControls(saved);
  applyModeLayout(optFolderFile[0]->isChecked());

  if (saved.recentFinds) appendTerms(*cmbFind, *saved.recentFinds);
  if (saved.recentReplaces) appendTerms(*cmbReplace, *saved.recentReplaces);
  if (saved.files) lstFiles->addItems(*saved.files);
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
  if (saved.folderMode) setOptionValue(0, *saved.folderMode);
  // No folder chosen yet: the folder stays empty, so a run in folder mode rewrites nothing.
  lblFolder->setText(saved.folder);
  lblFolder->setToolTip(saved.folder);
  Dir1->setPath(saved.folder);
  File1->setPath(saved.folder);
  restoreCheck(*chkRecursive, saved.recursive);
  if (saved.fileMode) setOptionValue(1, *saved.fileMode);
  cmbFind->setEditText(saved.findText);
  cmbReplace->setEditText(saved.replaceText);
  restoreCheck(*chkCaseSensitive, saved.caseSensitive);
  restoreCheck(*chkRememberTheseFiles, saved.rememberFiles);
  const int type = cmbFileTypes->findText(saved.fileType, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (type >= 0) cmbFileTypes->setCurrentIndex(type);
}

// The start-up tab order; the labels and display lists follow in their designed order.
void frmSorvane::setStartupTabOrder() {
  QWidget* const order[] = {optFolderFile[0], optFolderFile[1], frameFolder, lblFolder,  cmdBrowse,
                            chkRecursive,     frameFiles,       lstFiles,    cmdOpen,    cmdClose,
                            cmdCloseAll,      chkRememberTheseFiles, frameControls, cmbFind, cmbReplace,
                            chkCaseSensitive, cmbFileTypes,     cmdHelp,     cmdReplace, cmdExit,
                            Dir1,             File1,            lblReplace,  lblFind,    lblFileTypes};
  for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  // Each listed control goes to the back in turn: the earliest listed ends uppermost.
  for (std::size_t i = 0; i < 20; ++i) order[i]->lower();
}

}  // namespace sorvane::ui
