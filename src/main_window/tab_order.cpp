#include "main_window/tab_order.h"

#include "main_window/folder_views.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <vector>

namespace sorvane::ui {
namespace {

std::vector<QWidget*> designedOrder(const MainWindowWidgets& w) {
  return {w.cmdReplace,   w.cmdExit,  w.frameControls, w.cmdHelp,      w.optFolderFile[0],
          w.optFolderFile[1], w.frameFiles, w.lstFiles, w.cmdCloseAll, w.cmdClose,
          w.cmdOpen,      w.frameFolder, w.cmdBrowse,  w.chkRecursive, w.lblFolder,
          w.Dir1,         w.File1,    w.cmbFind,       w.cmbReplace,   w.chkCaseSensitive,
          w.chkWholeWord, w.chkRegularExpression, w.lblReplace,   w.lblFind,  w.chkRememberTheseFiles, w.lblFileTypes, w.cmbFileTypes, w.cmdUndo, w.cmdPreview};
}

void chain(const std::vector<QWidget*>& order) {
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace

void setDesignedTabOrder(const MainWindowWidgets& widgets) { chain(designedOrder(widgets)); }

void setStartupTabOrder(const MainWindowWidgets& w) {
  const std::vector<QWidget*> listed = {
      w.optFolderFile[0], w.optFolderFile[1], w.frameFolder, w.lblFolder,  w.cmdBrowse,
      w.chkRecursive,     w.frameFiles,       w.lstFiles,    w.cmdOpen,    w.cmdClose,
      w.cmdCloseAll,      w.chkRememberTheseFiles, w.frameControls, w.cmbFind, w.cmbReplace,
      w.chkCaseSensitive, w.chkWholeWord,     w.chkRegularExpression, w.cmbFileTypes,     w.cmdHelp,     w.cmdPreview, w.cmdReplace, w.cmdUndo, w.cmdExit};
  std::vector<QWidget*> order = listed;
  for (QWidget* widget : designedOrder(w))
    if (std::find(listed.begin(), listed.end(), widget) == listed.end()) order.push_back(widget);
  chain(order);
  for (QWidget* widget : listed) widget->lower();
}

}  // namespace sorvane::ui
