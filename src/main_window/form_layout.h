#pragma once

#include "platform/twips.h"
#include "vocabulary/vocabulary.h"

namespace sorvane::ui {

using platform::Twips;
using platform::TwipsRect;
using platform::toPixels;
using platform::toTwips;

// The geometry of every widget of the main window, in twips, relative to its container.
struct MainWindowGeometry {
  TwipsRect frameFolder, File1, Dir1, chkRecursive, cmdBrowse, lblFolder;
  TwipsRect frameFiles, chkRememberTheseFiles, cmdOpen, cmdClose, cmdCloseAll, lstFiles;
  TwipsRect optFolder, optFiles;  // optFolderFile(0) and optFolderFile(1)
  TwipsRect frameControls, cmbFileTypes, chkCaseSensitive, cmbReplace, cmbFind, lblFileTypes, lblFind, lblReplace;
  // One row under Case Sensitive, in the band the controls frame leaves above the file types.
  TwipsRect chkWholeWord, chkRegularExpression;
  TwipsRect cmdHelp, cmdExit, cmdReplace;
  // Above Exit and Replace, in the band between the controls frame and the bottom row.
  TwipsRect cmdUndo;
  TwipsRect cmdPreview;

  // As the window is designed, before start-up or any resize.
  static MainWindowGeometry designed();
};

// The height of the controls frame in each mode.
inline constexpr Twips kControlsHeightFolderMode = 3015;
// Room for the pattern options' row under Case Sensitive, inside the frame's border.
inline constexpr Twips kControlsHeightFileMode = 2220;

// Designed client area and outer size of the main window.
inline constexpr Twips kDesignedClientWidth = 8505;
inline constexpr Twips kDesignedClientHeight = 8445;

// The resize layout: a pure function of the window's outer size W x H, its state and the
// current geometry (it reads back sizes it set before, so a window made low keeps the frame
// heights of its last tall layout).
MainWindowGeometry Form_Resize(const MainWindowGeometry& current, Twips W, Twips H, WindowState state);

}  // namespace sorvane::ui
