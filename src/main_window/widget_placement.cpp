#include "main_window/widget_placement.h"

#include "main_window/folder_views.h"
#include "main_window/frame_box.h"
#include "main_window/wrapping_check_box.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

namespace sorvane::ui {

void place(QWidget& widget, const TwipsRect& r) {
  widget.setGeometry(toPixels(r.Left), toPixels(r.Top), toPixels(r.Width), toPixels(r.Height));
}

void placeWidgets(const MainWindowWidgets& w, const MainWindowGeometry& g) {
  const std::pair<QWidget*, const TwipsRect*> widgets[] = {
      {w.frameFolder, &g.frameFolder},     {w.File1, &g.File1},
      {w.Dir1, &g.Dir1},                   {w.chkRecursive, &g.chkRecursive},
      {w.cmdBrowse, &g.cmdBrowse},         {w.lblFolder, &g.lblFolder},
      {w.frameFiles, &g.frameFiles},       {w.chkRememberTheseFiles, &g.chkRememberTheseFiles},
      {w.cmdOpen, &g.cmdOpen},             {w.cmdClose, &g.cmdClose},
      {w.cmdCloseAll, &g.cmdCloseAll},     {w.lstFiles, &g.lstFiles},
      {w.optFolderFile[1], &g.optFiles},   {w.optFolderFile[0], &g.optFolder},
      {w.frameControls, &g.frameControls}, {w.cmbFileTypes, &g.cmbFileTypes},
      {w.chkCaseSensitive, &g.chkCaseSensitive}, {w.chkWholeWord, &g.chkWholeWord},
      {w.chkRegularExpression, &g.chkRegularExpression}, {w.cmbReplace, &g.cmbReplace},
      {w.cmbFind, &g.cmbFind},             {w.lblFileTypes, &g.lblFileTypes},
      {w.lblFind, &g.lblFind},             {w.lblReplace, &g.lblReplace},
      {w.cmdHelp, &g.cmdHelp},             {w.cmdExit, &g.cmdExit},
      {w.cmdReplace, &g.cmdReplace},       {w.cmdUndo, &g.cmdUndo}, {w.cmdPreview, &g.cmdPreview},
  };
  for (const auto& [widget, rect] : widgets) place(*widget, *rect);

  auto& box = static_cast<WrappingCheckBox&>(*w.chkRememberTheseFiles);  // both made so by createWidgets
  const auto& frame = static_cast<const FrameBox&>(*w.frameFiles);
  box.resize(box.sizeForCaption(box.size(), frame.innerRect().right() + 1 - box.x()));
}

}  // namespace sorvane::ui
