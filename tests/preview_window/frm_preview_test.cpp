#include "preview_window/frm_preview.h"

#include "journal/history.h"
#include "main_window_fixture.h"
#include "preview_window/mark_colours.h"
#include "preview_window/tick_box_edge_style.h"
#include "preview_window/preview_model.h"
#include "utf16_file.h"
#include "viewer/file_viewer.h"
#include "viewer/frm_view.h"
#include "viewer/viewer_text_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QStyleOptionViewItem>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTreeView>
#include <atomic>
#include <thread>

namespace sorvane::testing {
namespace {

const std::string kUtf16Text = utf16File(u"old\r\nold", false);

// A folder listing that waits, from its entry after `freeEntries` on, while `listingHeld` holds:
// the search stays under way for as long as a test needs it to.
std::atomic<bool> listingHeld{false};
std::atomic<int> freeEntries{0};
dirent* heldReadEntry(DIR* dir) {
  if (freeEntries-- <= 0)
    while (listingHeld) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return ::readdir(dir);
}

// The main window set to replace "old" by "new", and the Preview it opens.
class PreviewWindow : public MainWindowFixture {
 protected:
  void SetUp() override {
    jobs = 2;
    start();
    w().cmbFind->setEditText("old");
    w().cmbReplace->setEditText("new");
  }

  // Presses Preview and, unless told not to, waits for its search to end.
  preview::frmPreview& openPreview(bool searched = true) {
    showActive();
    QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);
    preview::frmPreview* shown = nullptr;
    EXPECT_TRUE(eventually([&] { return (shown = window->findChild<preview::frmPreview*>()) != nullptr; }));
    EXPECT_TRUE(!searched || eventually([&] { return !shown->searching(); }));
    return *shown;
  }

  QModelIndex fileRow(preview::frmPreview& preview, int row) { return preview.model().index(row, 0); }
  void clear(preview::frmPreview& preview, const QModelIndex& index) {
    preview.model().setData(index, Qt::Unchecked, Qt::CheckStateRole);
  }
};

TEST_F(PreviewWindow, EveryBoxCheckedGivesWhatReplaceGivesAndTheTotalsOfADryRun) {
  // The same files twice: one set replaced from the main window, one from the preview.
  const std::vector<std::pair<std::string, std::string>> files = {
      {"ansi.txt", "old \xE9old\r\nx"}, {"bom.txt", "\xEF\xBB\xBFold\rold"}, {"utf16.txt", kUtf16Text},
      {"none.txt", "nothing here"}, {"far.txt", std::string(123455, '\n') + "old"}};
  std::vector<std::string> direct, previewed;
  for (const auto& [name, text] : files) {
    writeFile(direct.emplace_back(folder / ("d-" + name)), text);
    writeFile(previewed.emplace_back(folder / ("p-" + name)), text);
  }
  listFiles(direct);
  w().cmdReplace->click();
  EXPECT_EQ(lastBox(), "Made 7 replacements.");

  listFiles(previewed);
  preview::frmPreview& preview = openPreview();
  EXPECT_EQ(std::pair(preview.lblStatus->text(), preview.model().rowCount()), std::pair(QString("7 occurrences in 4 files"), 4));
  // Line 123456 is shown whole, its box and the tree's indent beside it.
  const QModelIndex far = preview.model().index(0, 0, fileRow(preview, 3));
  QTreeView& list = *preview.lstOccurrences;
  QStyleOptionViewItem option;
  option.initFrom(&list);
  EXPECT_GE(list.columnWidth(0) - 2 * list.indentation(), list.itemDelegateForIndex(far)->sizeHint(option, far).width());
  EXPECT_EQ(preview.model().rowCount(fileRow(preview, 0)), 2);
  EXPECT_FALSE(preview.lblBound->isVisible() || preview.cmdReplace->isDefault() || preview.cmdReplace->autoDefault());
  QTest::keyClick(&preview, Qt::Key_R, Qt::AltModifier);
  ASSERT_TRUE(eventually([&] { return scripted.boxes.shown.size() == 2u; }));
  EXPECT_EQ(lastBox(), "Made 7 replacements.");
  for (std::size_t i = 0; i < files.size(); ++i) EXPECT_EQ(readFile(previewed[i]), readFile(direct[i])) << i;
  std::string error;
  const std::vector<journal::KeptRun> runs = journal::keptRuns(state.path(), error);
  ASSERT_EQ(runs.size(), 2u) << error;  // the preview's run is journaled as the window's is
  for (const journal::KeptRun& run : runs)
    EXPECT_EQ(std::pair(run.record->replacements.value_or(-1), run.record->files.size()), std::pair(7L, 4UL));
}

TEST_F(PreviewWindow, ClearedFilesAndOccurrencesAreKeptAndAnEditedFileIsRefusedButNotOneThisRunChanged) {
  const std::string kept = folder / "kept.txt", partly = folder / "partly.txt", edited = folder / "edited.txt";
  const std::string link = folder / "link.txt", otherLink = folder / "other-link.txt";
  for (const std::string& path : {kept, edited, link}) writeFile(path, "old");
  writeFile(partly, "one old\nold old\nold");
  std::filesystem::create_hard_link(link, otherLink);  // the run's first rename changes the file's status
  listFiles({kept, partly, edited, link, otherLink});
  preview::frmPreview& preview = openPreview();
  ASSERT_EQ(preview.model().rowCount(), 5);
  const QModelIndex partlyRow = fileRow(preview, 1);
  ASSERT_EQ(preview.model().rowCount(partlyRow), 4);
  const QModelIndex second = preview.model().index(1, 0, partlyRow);
  EXPECT_EQ(QStringList({second.data().toString(), second.siblingAtColumn(1).data().toString(),
                         second.siblingAtColumn(2).data().toString()}), QStringList({"2", "old old", "new new"}));
  clear(preview, fileRow(preview, 0));
  // Space toggles the row's box from any column: three times, so it ends cleared.
  for (const int column : {2, 1, 1}) {
    preview.lstOccurrences->setCurrentIndex(second.siblingAtColumn(column));
    QTest::keyClick(preview.lstOccurrences, Qt::Key_Space);
  }
  EXPECT_EQ(preview.model().index(2, 2, partlyRow).data().toString(), "old new") << "the line as it will be";
  EXPECT_EQ(preview.model().data(partlyRow, Qt::CheckStateRole).toInt(), Qt::PartiallyChecked);

  // Enter on an occurrence opens the viewer at its line, the occurrence selected.
  preview.lstOccurrences->setCurrentIndex(preview.model().index(2, 1, partlyRow));
  QTest::keyClick(preview.lstOccurrences, Qt::Key_Return);
  ASSERT_NE(preview.viewer().view(), nullptr);
  const QTextCursor shown = preview.viewer().view()->txtView->textCursor();
  EXPECT_EQ(std::tuple(shown.block().text().section(QChar::LineSeparator, 0, 0), shown.selectedText(),
                       shown.selectionStart() - shown.block().position()), std::tuple("old old", "old", 4));
  EXPECT_TRUE(preview.isVisible()) << "Enter never rewrites";
  preview.viewer().view()->close();

  writeFile(edited, "OLD");  // after the preview, as another program might
  preview.cmdReplace->click();
  ASSERT_TRUE(eventually([&] { return lastBox() == "Made 5 replacements."; })) << lastBox().toStdString();
  ASSERT_EQ(scripted.boxes.shown.size(), 2u);
  EXPECT_TRUE(scripted.boxes.shown[0].text.contains("'" + QString::fromStdString(edited) + "'") &&
              scripted.boxes.shown[0].text.contains("changed since the preview"));
  EXPECT_EQ(std::tuple(readFile(link), readFile(otherLink), readFile(kept), readFile(partly), readFile(edited)),
            std::tuple("new", "new", "old", "one new\nold new\nnew", "OLD"));
  EXPECT_EQ(window->findChild<preview::frmPreview*>(), nullptr) << "the preview closed";
}

// A file that looks binary has no row, and is counted apart.
TEST_F(PreviewWindow, AFileThatCannotBeReadHasARowWithItsFailureAndFailsAgainOnReplace) {
  const std::string tree = folder / "tree";
  std::filesystem::create_directories(tree + "/sub");
  writeFile(tree + "/ok.txt", "old");
  writeFile(tree + "/u32.txt", std::string("\xFF\xFE\0\0o\0\0\0", 8));
  writeFile(tree + "/sub/deep.txt", "old");
  for (const char* binary : {"/a.png", "/sub/b.o"}) writeFile(tree + binary, std::string("old\0", 4));  // no rows
  w().lblFolder->setText(QString::fromStdString(tree));
  w().chkRecursive->setChecked(true);

  preview::frmPreview& preview = openPreview();
  EXPECT_EQ(preview.lblStatus->text(),
            "2 occurrences in 2 files, 1 file could not be read, 2 binary files passed over");
  ASSERT_EQ(preview.model().rowCount(), 3);
  EXPECT_EQ(fileRow(preview, 1).data().toString(),
            QString::fromStdString(tree + "/u32.txt: Path/File access error: not a text file (UTF-32) (error 75)"));
  EXPECT_EQ(preview.model().rowCount(fileRow(preview, 2)), 1) << "the file below's occurrence";
  preview.cmdReplace->click();
  ASSERT_TRUE(eventually([&] { return lastBox() == "Made 2 replacements."; })) << lastBox().toStdString();
  ASSERT_EQ(scripted.boxes.shown.size(), 2u);
  EXPECT_TRUE(scripted.boxes.shown[0].style == MessageStyle::AbortRetryIgnore &&
              scripted.boxes.shown[0].text.contains("not a text file")) << scripted.boxes.shown[0].text.toStdString();
  EXPECT_EQ(readFile(tree + "/ok.txt") + readFile(tree + "/sub/deep.txt"), "newnew");
}

// Which occurrences of a file Replace replaces, in the order the run meets them.
std::vector<bool> chosenOf(const ChosenFile& file, int occurrences) {
  OccurrenceChoice::Cursor cursor(file.occurrences);
  std::vector<bool> chosen;
  for (int i = 0; i < occurrences; ++i) chosen.push_back(cursor.nextIsChosen());
  return chosen;
}

TEST_F(PreviewWindow, PastTheBoundEveryFileHasItsRowAndAPartlyTickedFileKeepsItsUnlistedOccurrences) {
  std::vector<std::string> files;
  for (const char* text : {"old old", "old old old\nold", "old old", "old old"})
    writeFile(files.emplace_back(folder / ("f" + std::to_string(files.size()))), text);
  preview::frmPreview preview({{"old", "new", CompareMode::Text}, FileList::of(files), false}, EngineOptions{}, scripted.services(), *store, window.get(), 4);
  ASSERT_TRUE(eventually([&] { return !preview.searching(); }));
  EXPECT_EQ(preview.lblStatus->text(), "10 occurrences in 4 files");
  EXPECT_EQ(std::tuple(preview.model().rowCount(), preview.model().rowCount(fileRow(preview, 1)),
                       preview.model().rowCount(fileRow(preview, 3))), std::tuple(4, 2, 0));
  EXPECT_TRUE(preview.lblBound->isVisibleTo(&preview) &&
              preview.lblBound->text().startsWith("Only the first 4 occurrences are listed"));
  clear(preview, fileRow(preview, 3));
  const QModelIndex partly = fileRow(preview, 1);
  clear(preview, preview.model().index(0, 0, partly));
  EXPECT_EQ(preview.model().index(1, 2, partly).data().toString(), "old new old") << "the unlisted one stays";
  EXPECT_EQ(preview.lblStatus->text(), "10 occurrences in 4 files; 2 occurrences not listed are left as they are");
  std::vector<ChosenFile> chosen = preview.model().chosenFiles();
  ASSERT_EQ(chosen.size(), 3u);
  EXPECT_EQ(std::tuple(chosen[1].path, chosen[2].path, chosenOf(chosen[1], 4), chosenOf(chosen[2], 2)),
            std::tuple(files[1], files[2], std::vector<bool>{false, true, false, false}, std::vector<bool>(2, true)));

  // Ticked whole again, the file is replaced whole, unlisted occurrences too.
  preview.model().setData(partly, Qt::Checked, Qt::CheckStateRole);
  EXPECT_EQ(preview.lblStatus->text(), "10 occurrences in 4 files");
  chosen = preview.model().chosenFiles();
  EXPECT_EQ(chosenOf(chosen[1], 4), std::vector<bool>(4, true));
}

TEST_F(PreviewWindow, ReplaceWaitsForTheSearchAndAfterAStopThatLeftFilesOutAsksFirst) {
  for (const char* sub : {"tree/sub", "tree/z"}) std::filesystem::create_directories(folder / sub);
  for (const char* name : {"tree/f.txt", "tree/sub/g.txt"}) writeFile(folder / name, "old");
  const RunRequest request{{"old", "new", CompareMode::Text}, FolderRun{folder / "tree", "*.*", true}, false};
  const RunCalls calls{.swap = {}, .readEntry = &heldReadEntry};
  const EngineOptions options{.yieldInterval = std::chrono::nanoseconds(0), .batch = {}, .calls = &calls};
  const struct Release { ~Release() { listingHeld = false; } } release;
  // Held in a folder's listing, a search gets Stop; `listed` files are found by then.
  const auto stopWhileListing = [&](int entriesBefore, int listed) {
    listingHeld = true, freeEntries = entriesBefore;
    auto preview = std::make_unique<preview::frmPreview>(request, options, scripted.services(), *store, window.get());
    preview->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(preview.get()) && eventually([&] { return preview->model().rowCount() == listed; }));
    QTest::keyClick(preview.get(), Qt::Key_R, Qt::AltModifier);
    QTest::qWait(150);  // longer than a button's animated click
    EXPECT_TRUE(preview->searching() && !preview->cmdReplace->isEnabled()) << "Replace waits";
    preview->cmdStop->click(), listingHeld = false;
    EXPECT_TRUE(eventually([&] { return !preview->searching(); }) && preview->cmdReplace->isEnabled());
    return preview;
  };
  std::vector<std::size_t> runs;  // the files of each
  const auto replace = [&](preview::frmPreview& preview) {
    QObject::connect(&preview, &preview::frmPreview::replaceChosen, [&](const RunRequest& run) {
      runs.push_back(std::get<PreviewedFiles>(run.over).files.size());
    });
    preview.cmdReplace->click();
  };

  // Stopped in the last folder, which is empty, the search has met every file: Replace asks nothing.
  // Entries: the tree's ".", "..", "f.txt", "sub", "z" and its end, then sub's four.
  std::unique_ptr<preview::frmPreview> preview = stopWhileListing(10, 2);
  EXPECT_EQ(preview->lblStatus->text(), "2 occurrences in 2 files");
  replace(*preview);
  EXPECT_EQ(std::pair(runs.size(), scripted.boxes.shown.size()), std::pair(1UL, 0UL));

  // Stopped in "sub", before g.txt: the status says so, and Replace asks, No first.
  preview = stopWhileListing(6, 1);
  EXPECT_EQ(preview->lblStatus->text(), "Stopped: 1 occurrence in 1 file");
  replace(*preview);
  ASSERT_EQ(scripted.boxes.shown.size(), 1u);
  EXPECT_EQ(scripted.boxes.shown[0].style, MessageStyle::YesNoQuestion);
  EXPECT_EQ(scripted.boxes.shown[0].text,
            QString::fromStdString("The search of " + folder / "tree" + " was stopped after 1 file, at " +
                                   folder / "tree/f.txt" + ". Replace leaves the files after it, not searched, as "
                                   "they are.\r\rReplace in the files searched?"));
  EXPECT_EQ(std::pair(runs.size(), preview->isVisible()), std::pair(1UL, true));
  scripted.boxes.answerToQuestions = MessageAnswer::Yes;
  preview->cmdReplace->click();
  EXPECT_EQ(runs, (std::vector<std::size_t>{2, 1}));
}

TEST_F(PreviewWindow, EscStopsTheSearchAndEnterPressesTheFocusedButton) {
  std::filesystem::create_directories(folder / "tree");
  for (int i = 0; i < 400; ++i) writeFile(folder / ("tree/" + std::to_string(i)), "old");
  w().lblFolder->setText(QString::fromStdString(folder / "tree"));
  preview::frmPreview& preview = openPreview(false);
  QTest::keyClick(&preview, Qt::Key_Escape);
  ASSERT_TRUE(eventually([&] { return !preview.searching(); }));
  EXPECT_TRUE(preview.isVisible());
  QTest::keyClick(&preview, Qt::Key_F1);
  EXPECT_EQ(std::pair(scripted.help.command, scripted.help.key), std::pair(platform::kHelpKey, QString("preview")));
  preview.resize(700, 400), preview.lstOccurrences->setColumnWidth(1, 250);
  preview.cmdClose->setFocus();  // a focused button takes Enter
  QTest::keyClick(preview.cmdClose, Qt::Key_Return);
  EXPECT_TRUE(eventually([&] { return window->findChild<preview::frmPreview*>() == nullptr; }));
  start();  // the next run of the program opens it as it was left
  w().lblFolder->setText(QString::fromStdString(folder / "tree"));
  preview::frmPreview& again = openPreview();
  EXPECT_EQ(std::pair(again.size(), again.lstOccurrences->columnWidth(1)), std::pair(QSize(700, 400), 250));
  again.reject();
  EXPECT_EQ(std::pair(readFile(folder / "tree/0"), scripted.boxes.shown.size()), std::pair(std::string("old"), 0UL));
}

// Marks read in a light and a dark palette alike, and stand out from the list's ground.
TEST(MarkColours, ReadInLightAndDarkPalettes) {
  QPalette dark(QColor(45, 45, 45));
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::Text, Qt::white);
  for (const QPalette& palette : {QApplication::style()->standardPalette(), dark}) {
    const preview::MarkColours marks = preview::markColours(palette);
    for (const preview::MarkColour& mark : {marks.occurrence, marks.replacement, marks.kept}) {
      EXPECT_GE(preview::contrastRatio(mark.text, mark.ground), 4.5) << mark.ground.name().toStdString();
      EXPECT_GE(preview::contrastRatio(mark.ground, palette.color(QPalette::Base)), 1.2) << mark.ground.name().toStdString();
    }
    // A cleared tick box keeps an edge that shows on the list's ground.
    QImage row(20, 20, QImage::Format_RGB32);
    row.fill(palette.color(QPalette::Base));
    QStyleOptionViewItem box;
    box.palette = palette, box.rect = QRect(2, 2, 13, 13), box.state = QStyle::State_Enabled | QStyle::State_Off;
    QPainter painter(&row);
    preview::TickBoxEdgeStyle().drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, &painter);
    painter.end();
    EXPECT_GE(preview::contrastRatio(row.pixelColor(2, 8), palette.color(QPalette::Base)), 3.0);
  }
}

// A big file's rows show while it is read, its count once it is read whole; one cut off by a stop
// leaves no row behind.
TEST(PreviewSearchTest, ABigFilesRowsShowWhileItIsReadAndOneCutOffLeavesNone) {
  TempFolder folder;
  const std::string path = folder / "big.txt", line = "old old old old\r\n";
  std::string text;
  for (int i = 0; i < (8 << 20) / 17; ++i) text += line;
  writeFile(path, text);
  for (const bool stopped : {true, false}) {
    SCOPED_TRACE(stopped ? "stopped" : "read whole");
    preview::PreviewSearch search({{"old", "new", CompareMode::Binary}, FileList::of({path})}, {}, 100,
                                  std::chrono::milliseconds(0));
    preview::PreviewModel model;
    std::vector<preview::FoundFile> found;
    while ((found = search.takeFound()).empty() && !search.finished())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(found[0].complete) << "no row before the whole file was read";
    model.append(std::move(found));
    EXPECT_GT(model.rowCount(model.index(0, 0)), 0);
    EXPECT_EQ(std::pair(search.filesSearched(), model.filesBeingRead()), std::pair(std::int64_t{0}, 1));
    if (stopped) search.stop();
    while (!search.finished()) model.append(search.takeFound());
    using Counts = std::tuple<int, std::int64_t, std::int64_t>;
    EXPECT_EQ(std::tuple(model.files(), model.listedOccurrences(), model.occurrences()),
              (stopped ? Counts{0, 0, 0} : Counts{1, 100, std::int64_t{4} * ((8 << 20) / 17)}));
  }
}

}  // namespace
}  // namespace sorvane::testing
