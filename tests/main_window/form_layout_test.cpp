#include "main_window/form_layout.h"

#include <gtest/gtest.h>

namespace sorvane::ui {
namespace {

MainWindowGeometry layoutAt(Twips W, Twips H, const MainWindowGeometry& from = MainWindowGeometry::designed()) {
  return Form_Resize(from, W, H, WindowState::Normal);
}

TEST(FormLayout, HeightThresholdSetsTheFramesAndButtons) {
  const MainWindowGeometry g = layoutAt(8625, 4800);
  EXPECT_EQ(g.frameFolder.Top, 480);
  EXPECT_EQ(g.frameFolder.Height, 3720);
  EXPECT_EQ(g.frameFiles.Height, 3720);
  EXPECT_EQ(g.Dir1.Height, 2820);
  EXPECT_EQ(g.File1.Height, 2820);
  EXPECT_EQ(g.lstFiles.Height, 3360);
  EXPECT_EQ(g.cmdReplace.Top, 3885);
  EXPECT_EQ(g.cmdExit.Top, 3885);
  EXPECT_EQ(g.cmdHelp.Top, 3885);
}

TEST(FormLayout, BelowTheHeightThresholdTheLastTallLayoutStays) {
  const MainWindowGeometry g = layoutAt(8625, 4799, layoutAt(8625, 6000));
  EXPECT_EQ(g.frameFolder.Top, 480);
  EXPECT_EQ(g.frameFolder.Height, 4920);
  EXPECT_EQ(g.frameFiles.Height, 4920);
  EXPECT_EQ(g.cmdReplace.Top, 5085);
  EXPECT_EQ(g.cmdHelp.Top, 5085);
}

TEST(FormLayout, WidthThresholdSwitchesBetweenFixedAndHalfWidths) {
  const MainWindowGeometry narrow = layoutAt(7999, 6000);
  EXPECT_EQ(narrow.frameFolder.Width, 3765);
  EXPECT_EQ(narrow.frameFiles.Width, 3765);
  EXPECT_EQ(narrow.frameControls.Width, 3765);
  EXPECT_EQ(narrow.frameControls.Left, 4005);

  const MainWindowGeometry wide = layoutAt(8000, 6000);
  EXPECT_EQ(wide.frameFolder.Width, 3760);
  EXPECT_EQ(wide.frameControls.Left, 4000);

  const MainWindowGeometry odd = layoutAt(8001, 6000);  // half twips are kept
  EXPECT_FLOAT_EQ(odd.frameFolder.Width, 3760.5F);
  EXPECT_FLOAT_EQ(odd.frameControls.Left, 4000.5F);
}

TEST(FormLayout, WideWindowPlacesEveryWidget) {
  const MainWindowGeometry g = layoutAt(10000, 7000);
  EXPECT_EQ(g.frameFolder.Width, 4760);
  EXPECT_EQ(g.frameControls.Left, 5000);
  EXPECT_EQ(g.lblFolder.Width, 3305);
  for (const TwipsRect& r : {g.cmdBrowse, g.cmdOpen, g.cmdClose, g.cmdCloseAll, g.chkRememberTheseFiles})
    EXPECT_EQ(r.Left, 3545);
  EXPECT_EQ(g.Dir1.Width, 2200);
  EXPECT_EQ(g.File1.Width, 2200);
  EXPECT_EQ(g.File1.Left, 2440);
  EXPECT_EQ(g.lstFiles.Width, 3305);
  for (const TwipsRect& r : {g.lblFind, g.cmbFind, g.lblReplace, g.cmbReplace, g.chkCaseSensitive, g.lblFileTypes,
                             g.cmbFileTypes})
    EXPECT_EQ(r.Width, 4520);
  EXPECT_EQ(g.cmdExit.Left, 8665);
  EXPECT_EQ(g.cmdReplace.Left, 7510);
  EXPECT_EQ(g.cmdHelp.Left, 5975);
}

TEST(FormLayout, WidenThenNarrowReturnsToTheFixedWidths) {
  const MainWindowGeometry g = layoutAt(7000, 6000, layoutAt(10000, 6000));
  EXPECT_EQ(g.frameFolder.Width, 3765);
  EXPECT_EQ(g.frameFiles.Width, 3765);
  EXPECT_EQ(g.frameControls.Width, 3765);
  EXPECT_EQ(g.frameControls.Left, 4005);
}

TEST(FormLayout, MinimizedWindowChangesNothing) {
  const MainWindowGeometry before = layoutAt(9000, 6000);
  const MainWindowGeometry after = Form_Resize(before, 100, 100, WindowState::Minimized);
  EXPECT_EQ(after.frameFolder.Width, before.frameFolder.Width);
  EXPECT_EQ(after.frameFolder.Height, before.frameFolder.Height);
  EXPECT_EQ(after.cmdReplace.Top, before.cmdReplace.Top);
}

}  // namespace
}  // namespace sorvane::ui
