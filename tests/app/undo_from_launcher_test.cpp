#include "app/undo_from_launcher.h"
#include "run_program.h"
#include "scripted_platform.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace sorvane::testing {
namespace {

// After two command-line runs, the second a pattern rewriting a file of the first: the question
// names each run as --history does.
TEST(UndoFromLauncher, EachClickAsksThenTakesBackTheNextOlderRunAndSaysHowItWent) {
  const TemporaryStateHome state;
  const TempFolder folder;
  const std::string a = folder / "a.txt", b = folder / "b.txt";
  for (const std::string name : {"a", "b"}) writeFile(folder / (name + ".txt"), "old " + name);
  ASSERT_EQ(runProgram(SORVANE_CLI_PATH, {"--find", "old", "--replace", "new", a, b}).status, 0);
  ASSERT_EQ(runProgram(SORVANE_CLI_PATH, {"-E", "-w", "--find", "(new)", "--replace", "${1}er", a}).status, 0);
  const std::string patternRun = "/(new)/ \u2192 \"${1}er\" (whole words)";
  EXPECT_NE(runProgram(SORVANE_CLI_PATH, {"--history"}).out.find("  " + patternRun + "  1 file  "), std::string::npos);
  writeFile(b, "new b, edited");
  const std::string firstRun = state / "sorvane/runs/" + namesIn(state / "sorvane/runs").at(1);  // after the lock
  ScriptedMessageBoxes boxes;
  RecordingTaskProgress progress;

  EXPECT_EQ(app::undoFromLauncher({"sorvane"}, boxes, progress, state.path()), std::nullopt);
  EXPECT_TRUE(boxes.shown.empty());

  struct Click {
    MessageAnswer answer;
    std::optional<int> status;
    std::string run;   // as the question names it after its time; none when nothing is asked
    int tried;         // files the progress counts; none when nothing is tried
    MessageStyle style;
    std::string says;  // the end of the box after it; none after No
    std::string a;
  };
  const std::vector<Click> clicks = {
      {MessageAnswer::No, 1, patternRun + ", 1 file", -1, {}, "", "newer a"},
      {MessageAnswer::Yes, 0, patternRun + ", 1 file", 1, MessageStyle::Information,
       ", " + patternRun + ", 1 file.\r\rRestored 1 file.", "new a"},
      {MessageAnswer::Yes, 1, "\"old\" \u2192 \"new\", 2 files", 2, MessageStyle::Critical,
       "Restored 1 file. 1 left alone.\r\r" + b + ": changed since the run; its original is kept as " + firstRun + "/2",
       "old a"},
      {MessageAnswer::Yes, 1, "", -1, MessageStyle::Information, "Nothing to undo.", "old a"},
  };
  for (std::size_t i = 0; i < clicks.size(); ++i) {
    const Click& expected = clicks[i];
    boxes.shown.clear();
    boxes.answerToQuestions = expected.answer;
    progress.total = progress.done = -1;
    EXPECT_EQ(app::undoFromLauncher({"sorvane", "--undo-last-run"}, boxes, progress, state.path()), expected.status)
        << "click " << i;
    ASSERT_EQ(boxes.shown.size(), std::size_t{!expected.run.empty()} + !expected.says.empty()) << "click " << i;
    const ShownBox& question = boxes.shown.front();
    EXPECT_TRUE(expected.run.empty() || (question.style == MessageStyle::YesNoQuestion &&
                                         question.text.endsWith(QString::fromStdString(", " + expected.run + "?"))))
        << question.text.toStdString();
    if (!expected.says.empty()) {
      const ShownBox& told = boxes.shown.back();
      EXPECT_EQ(std::tie(told.style, told.title), std::tuple(expected.style, QString("Sorvane"))) << "click " << i;
      EXPECT_TRUE(told.text.toStdString().ends_with(expected.says)) << told.text.toStdString();
    }
    EXPECT_EQ(std::tuple(progress.total, progress.done, progress.open), std::tuple(expected.tried, expected.tried, false))
        << "click " << i;
    EXPECT_EQ(readFile(a), expected.a) << "click " << i;
  }
  EXPECT_EQ(readFile(b), "new b, edited");
}

}  // namespace
}  // namespace sorvane::testing
