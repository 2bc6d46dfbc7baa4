#include "main_window/form_layout.h"

#include <gtest/gtest.h>

namespace sorvane::ui {
namespace {

using G = MainWindowGeometry;
constexpr auto Left = &TwipsRect::Left;
constexpr auto Top = &TwipsRect::Top;
constexpr auto Width = &TwipsRect::Width;
constexpr auto Height = &TwipsRect::Height;

struct Expected {
  TwipsRect G::*widget;
  Twips TwipsRect::*property;
  Twips value;
};

struct Case {
  const char* name;
  Twips W, H;
  std::vector<Expected> expected;
  std::optional<std::pair<Twips, Twips>> before = std::nullopt;  // the size laid out last; none: as designed
  WindowState state = WindowState::Normal;
};

const Case kCases[] = {
    {"height_threshold", 8625, 4800,
     {{&G::frameFolder, Top, 480}, {&G::frameFolder, Height, 3720}, {&G::frameFiles, Top, 480},
      {&G::frameFiles, Height, 3720}, {&G::Dir1, Height, 2820}, {&G::File1, Height, 2820}, {&G::lstFiles, Height, 3360},
      {&G::cmdReplace, Top, 3885}, {&G::cmdExit, Top, 3885}, {&G::cmdHelp, Top, 3885}}},
    {"below_the_height_threshold_the_last_tall_layout_stays", 8625, 4799,
     {{&G::frameFolder, Top, 480}, {&G::frameFolder, Height, 4920}, {&G::frameFiles, Height, 4920},
      {&G::cmdReplace, Top, 5085}, {&G::cmdHelp, Top, 5085}},
     std::pair{8625.0F, 6000.0F}},
    {"wide_from_the_width_threshold", 8000, 6000, {{&G::frameFolder, Width, 3760}, {&G::frameControls, Left, 4000}}},
    {"half_twips_are_kept", 8001, 6000, {{&G::frameFolder, Width, 3760.5F}, {&G::frameControls, Left, 4000.5F}}},
    {"wide", 10000, 7000,
     {{&G::frameFolder, Width, 4760}, {&G::frameFiles, Width, 4760}, {&G::frameControls, Left, 5000},
      {&G::lblFolder, Width, 3305}, {&G::cmdBrowse, Left, 3545}, {&G::cmdOpen, Left, 3545}, {&G::cmdClose, Left, 3545},
      {&G::cmdCloseAll, Left, 3545}, {&G::chkRememberTheseFiles, Left, 3545}, {&G::Dir1, Width, 2200},
      {&G::File1, Width, 2200}, {&G::File1, Left, 2440}, {&G::lstFiles, Width, 3305}, {&G::lblFind, Width, 4520},
      {&G::cmbFind, Width, 4520}, {&G::lblReplace, Width, 4520}, {&G::cmbReplace, Width, 4520},
      {&G::chkCaseSensitive, Width, 4520}, {&G::lblFileTypes, Width, 4520}, {&G::cmbFileTypes, Width, 4520},
      {&G::cmdExit, Left, 8665}, {&G::cmdReplace, Left, 7510}, {&G::cmdHelp, Left, 5975}}},
    {"widened_then_narrowed_below_the_width_threshold", 7999, 6000,
     {{&G::frameFolder, Width, 3765}, {&G::frameFiles, Width, 3765}, {&G::frameControls, Width, 3765},
      {&G::frameControls, Left, 4005}},
     std::pair{10000.0F, 6000.0F}},
    {"minimized_changes_nothing", 100, 100,
     {{&G::frameFolder, Width, 4260}, {&G::frameFolder, Height, 4920}, {&G::cmdReplace, Top, 5085}},
     std::pair{9000.0F, 6000.0F}, WindowState::Minimized},
};

// Undo and Preview stay above Exit and Replace, inside the band between the controls frame (the folder mode's,
// the taller) and the bottom row.
TEST(FormLayout, PlacesTheWidgetsAsTheWindowSizeSays) {
  for (const Case& c : kCases) {
    G from = G::designed();
    if (c.before) from = Form_Resize(from, c.before->first, c.before->second, WindowState::Normal);
    const G g = Form_Resize(from, c.W, c.H, c.state);
    for (std::size_t i = 0; i < c.expected.size(); ++i)
      EXPECT_EQ(g.*c.expected[i].widget.*c.expected[i].property, c.expected[i].value) << c.name << ", value " << i;
    for (const auto& [above, below] : {std::pair{g.cmdUndo, g.cmdExit}, std::pair{g.cmdPreview, g.cmdReplace}}) {
      EXPECT_EQ(std::tuple(above.Left, above.Width, above.Top), std::tuple(below.Left, below.Width, below.Top - 352))
          << c.name;
      EXPECT_GE(above.Top, g.frameControls.Top + 3015) << c.name;
      EXPECT_LE(above.Top + above.Height, below.Top) << c.name;
    }
  }
}

bool overlap(const TwipsRect& a, const TwipsRect& b) {
  return a.Left < b.Left + b.Width && b.Left < a.Left + a.Width && a.Top < b.Top + b.Height && b.Top < a.Top + a.Height;
}

// Whole word and Regular expression lie inside the controls frame's border in each mode, over no other widget.
TEST(FormLayout, ThePatternOptionsFitTheControlsFrameInEachModeAtEverySize) {
  constexpr Twips kBorder = 30;  // the frame's etched lines
  for (const auto& [W, H] : {std::pair<Twips, Twips>{8000, 4800}, {7999, 4799}, {10000, 6000}})
    for (const bool folderMode : {true, false}) {
      const G g = Form_Resize(G::designed(), W, H, WindowState::Normal);
      const Twips frameHeight = folderMode ? kControlsHeightFolderMode : kControlsHeightFileMode;
      std::vector<TwipsRect> others = {g.lblFind, g.cmbFind, g.lblReplace, g.cmbReplace, g.chkCaseSensitive};
      if (folderMode) others.insert(others.end(), {g.lblFileTypes, g.cmbFileTypes});
      for (const TwipsRect& option : {g.chkWholeWord, g.chkRegularExpression}) {
        EXPECT_TRUE(option.Left >= kBorder && option.Top >= kBorder && option.Left + option.Width <= g.frameControls.Width - kBorder &&
                    option.Top + option.Height <= frameHeight - kBorder)
            << W << " x " << H << (folderMode ? ", folder mode" : ", file mode");
        for (const TwipsRect& other : others) EXPECT_FALSE(overlap(option, other)) << W << " x " << H;
      }
      EXPECT_FALSE(overlap(g.chkWholeWord, g.chkRegularExpression));
      EXPECT_EQ(g.chkWholeWord.Top, g.chkRegularExpression.Top) << "one row";
    }
}

}  // namespace
}  // namespace sorvane::ui
