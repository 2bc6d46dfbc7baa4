#include "app/undo_from_launcher.h"
#include "run_program.h"
#include "scripted_platform.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace sorvane::testing {
namespace {

// The launcher's action after two command-line runs: each click takes back the next older run
// and says which in its box; the window's own start is left to the window.
TEST(UndoFromLauncher, EachClickTakesBackTheNextOlderRunAndSaysHowItWent) {
  const TemporaryStateHome state;
  const TempFolder folder;
  const std::string a = folder / "a.txt", b = folder / "b.txt";
  writeFile(a, "old a");
  writeFile(b, "old b");
  ASSERT_EQ(runProgram(SORVANE_CLI_PATH, {"--find", "old", "--replace", "new", a, b}).status, 0);
  ASSERT_EQ(runProgram(SORVANE_CLI_PATH, {"--find", "new", "--replace", "newer", a}).status, 0);
  writeFile(b, "new b, edited");
  ScriptedMessageBoxes boxes;
  const auto click = [&] { return app::undoFromLauncher({"sorvane", "--undo-last-run"}, boxes, state.path()); };

  EXPECT_EQ(app::undoFromLauncher({"sorvane"}, boxes, state.path()), std::nullopt);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(readFile(a), "newer a");

  struct Click {
    std::optional<int> status;
    MessageStyle style;
    std::string says;
    std::string a;
  };
  const std::vector<Click> clicks = {
      {0, MessageStyle::Information, ", \"new\" \u2192 \"newer\".\r\rRestored 1 files.", "new a"},
      {1, MessageStyle::Critical,
       ", \"old\" \u2192 \"new\".\r\rRestored 1 files. 1 left alone.\r\r" + b + ": changed since the run", "old a"},
      {1, MessageStyle::Information, "Nothing to undo.", "old a"},
  };
  for (std::size_t i = 0; i < clicks.size(); ++i) {
    EXPECT_EQ(click(), clicks[i].status) << "click " << i;
    ASSERT_EQ(boxes.shown.size(), i + 1);
    EXPECT_EQ(boxes.shown[i].style, clicks[i].style) << "click " << i;
    EXPECT_EQ(boxes.shown[i].title, "Sorvane");
    const std::string text = boxes.shown[i].text.toStdString();
    EXPECT_TRUE(text.ends_with(clicks[i].says)) << text;
    EXPECT_EQ(readFile(a), clicks[i].a) << "click " << i;
  }
  EXPECT_TRUE(boxes.shown[0].text.startsWith("Took back the run of ")) << boxes.shown[0].text.toStdString();
  EXPECT_EQ(readFile(b), "new b, edited");
}

}  // namespace
}  // namespace sorvane::testing
