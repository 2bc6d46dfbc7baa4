#include "main_window/form_layout.h"

#include <initializer_list>

namespace sorvane::ui {
namespace {

constexpr Twips kHeightThreshold = 4800;
constexpr Twips kWidthThreshold = 8000;
// Above the bottom row by a button's height and a gap; at the smallest window the band between
// the controls frame and the row is 390 twips high, and this keeps the button inside it.
constexpr Twips kAboveBottomRow = 352;
// The pattern options fill the band between Case Sensitive and the file types' label; a check
// box's indicator is as high as the band.
constexpr Twips kOptionsRowTop = 1965;
constexpr Twips kOptionsRowHeight = 195;
constexpr Twips kWholeWordWidth = 1455;
constexpr Twips kOptionsGap = 60;

}  // namespace

MainWindowGeometry MainWindowGeometry::designed() {
  MainWindowGeometry g;
  g.frameFolder = {120, 4440, 3765, 3855};
  g.File1 = {1800, 840, 1815, 2235};
  g.Dir1 = {120, 840, 1575, 2790};
  g.chkRecursive = {120, 600, 3495, 195};
  g.cmdBrowse = {2520, 240, 1095, 315};
  g.lblFolder = {120, 270, 2295, 255};
  g.frameFiles = {120, 480, 3765, 3855};
  g.chkRememberTheseFiles = {2520, 1440, 1095, 375};
  g.cmdOpen = {2520, 240, 1095, 315};
  g.cmdClose = {2520, 600, 1095, 315};
  g.cmdCloseAll = {2520, 960, 1095, 315};
  g.lstFiles = {120, 240, 2295, 3420};
  g.optFiles = {2040, 120, 1815, 255};
  g.optFolder = {120, 120, 1815, 255};
  g.frameControls = {3960, 480, 3765, 2895};
  g.cmbFileTypes = {120, 2400, 3495, 315};
  g.chkCaseSensitive = {120, 1680, 3495, 285};
  g.chkWholeWord = {120, kOptionsRowTop, kWholeWordWidth, kOptionsRowHeight};
  g.chkRegularExpression = {120 + kWholeWordWidth + kOptionsGap, kOptionsRowTop,
                            3495 - kWholeWordWidth - kOptionsGap, kOptionsRowHeight};
  g.cmbReplace = {120, 1200, 3495, 315};
  g.cmbFind = {120, 480, 3495, 315};
  g.lblFileTypes = {120, 2160, 3495, 285};
  g.lblFind = {120, 240, 3495, 285};
  g.lblReplace = {120, 990, 3495, 285};
  g.cmdHelp = {3960, 3720, 1095, 315};
  g.cmdExit = {6600, 3720, 1095, 315};
  g.cmdReplace = {5400, 3720, 1095, 315};
  g.cmdUndo = {6600, 3720 - kAboveBottomRow, 1095, 315};
  g.cmdPreview = {5400, 3720 - kAboveBottomRow, 1095, 315};
  return g;
}

MainWindowGeometry Form_Resize(const MainWindowGeometry& current, Twips W, Twips H, WindowState state) {
  MainWindowGeometry g = current;
  if (state == WindowState::Minimized) return g;

  if (H >= kHeightThreshold) {
    g.frameFolder.Top = 480;
    g.frameFolder.Height = H - 1080;
    g.Dir1.Height = g.frameFolder.Height - 900;
    g.File1.Height = g.frameFolder.Height - 900;
    g.frameFiles.Top = 480;
    g.frameFiles.Height = H - 1080;
    g.lstFiles.Height = g.frameFiles.Height - 360;
  }

  if (W < kWidthThreshold) {
    g.frameFolder.Width = 3765;
    g.frameFiles.Width = 3765;
    g.frameControls.Width = 3765;
    g.frameControls.Left = g.frameFolder.Width + 240;
  } else {
    g.frameFolder.Width = W / 2 - 240;
    g.frameFiles.Width = W / 2 - 240;
    g.frameControls.Width = W / 2 - 240;
    g.frameControls.Left = W - W / 2;
  }

  const Twips FW = g.frameFolder.Width;
  g.lblFolder.Width = FW - g.cmdBrowse.Width - 360;
  g.cmdBrowse.Left = FW - g.cmdBrowse.Width - 120;
  g.Dir1.Width = FW / 2 - 180;
  g.File1.Width = FW / 2 - 180;
  g.File1.Left = g.Dir1.Width + g.Dir1.Left + 120;

  const Twips GW = g.frameFiles.Width;
  g.lstFiles.Width = GW - g.cmdOpen.Width - 360;
  g.cmdOpen.Left = GW - g.cmdOpen.Width - 120;
  g.cmdClose.Left = GW - g.cmdClose.Width - 120;
  g.cmdCloseAll.Left = GW - g.cmdCloseAll.Width - 120;
  // Aligned with the button column by the button's width, not its own.
  g.chkRememberTheseFiles.Left = GW - g.cmdCloseAll.Width - 120;

  for (TwipsRect* widget : {&g.lblFind, &g.cmbFind, &g.lblReplace, &g.cmbReplace, &g.chkCaseSensitive,
                            &g.lblFileTypes, &g.cmbFileTypes})
    widget->Width = g.frameControls.Width - 240;
  g.chkRegularExpression.Width = g.frameControls.Width - 240 - kWholeWordWidth - kOptionsGap;

  const Twips RH = g.cmdReplace.Height;
  const Twips buttonsTop =
      H >= kHeightThreshold ? H - RH - 600 : g.frameFolder.Height + g.frameFolder.Top - RH;
  g.cmdReplace.Top = buttonsTop;
  g.cmdExit.Top = buttonsTop;
  g.cmdHelp.Top = buttonsTop;

  const Twips CL = g.frameControls.Left;
  const Twips CW = g.frameControls.Width;
  g.cmdReplace.Left = CL + CW - g.cmdReplace.Width - g.cmdExit.Width - 60;
  g.cmdExit.Left = CL + CW - g.cmdExit.Width;
  g.cmdHelp.Left = g.cmdReplace.Left - g.cmdReplace.Width - 440;
  g.cmdUndo.Top = buttonsTop - kAboveBottomRow;
  g.cmdUndo.Left = g.cmdExit.Left;
  g.cmdPreview.Top = buttonsTop - kAboveBottomRow;
  g.cmdPreview.Left = g.cmdReplace.Left;
  return g;
}

}  // namespace sorvane::ui
