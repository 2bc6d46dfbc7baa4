#include "viewer/file_viewer.h"

#include "platform/mouse_pointer.h"
#include "scripted_platform.h"
#include "temp_folder.h"
#include "viewer/frm_view.h"
#include "viewer/viewer_text_box.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

namespace sorvane::testing {
namespace {

using viewer::frmView;

// Designed viewer: client 6060 x 4380 twips, the text box at 120, 120, leaving 360 x 600 twips
// of the outer size.
const QSize kDesignedSize(404, 292);
const QPoint kTextPosition(8, 8);
const QSize kTextAllowance(24, 40);

QString qpath(const std::string& path) { return QString::fromStdString(path); }

// A window with a file list, as the main window holds it.
class Viewer : public ::testing::Test {
 protected:
  void SetUp() override { files->resize(400, 300); }

  // Lists the files, each holding the given text.
  void list(const std::vector<std::pair<std::string, std::string>>& named) {
    for (const auto& [name, content] : named) {
      writeFile(folder / name, content);
      files->addItem(qpath(folder / name));
    }
  }

  frmView* doubleClick(int row) {
    files->setCurrentRow(row);
    viewer.lstFiles_DblClick();
    return viewer.view();
  }

  bool shownAsDesigned(const frmView* view) const {
    if (!view) return false;
    const QPoint offset = view->frameGeometry().center() - window.frameGeometry().center();
    return view->isVisible() && view->size() == kDesignedSize && view->txtView->pos() == kTextPosition &&
           view->txtView->size() == view->frameGeometry().size() - kTextAllowance && std::abs(offset.x()) <= 1 &&
           std::abs(offset.y()) <= 1;
  }

  MousePointer pointer() const { return platform::mousePointer(window); }
  // The file the viewer names and the text it shows.
  std::pair<QString, QString> shown(const frmView* view) const {
    return view ? std::pair(view->windowTitle(), view->txtView->toPlainText()) : std::pair<QString, QString>();
  }
  std::pair<QString, QString> file(const std::string& name, const char* text) const { return {qpath(folder / name), text}; }

  TempFolder folder;
  ScriptedServices scripted;
  QWidget window;
  QListWidget* files = new QListWidget(&window);
  // Small chunks and a yield after each, so a short file is a long read.
  viewer::FileViewer viewer{*files, scripted.services(), {4, std::chrono::nanoseconds(0)}};
};

TEST_F(Viewer, TheCurrentEntryElseTheFirstSelectedIsShown) {
  viewer.lstFiles_DblClick();  // an empty list
  EXPECT_EQ(viewer.view(), nullptr);
  list({{"a.txt", "alpha"}, {"b.txt", "beta"}, {"c.txt", "gamma"}});
  files->setCurrentItem(nullptr);
  files->clearSelection();
  viewer.lstFiles_DblClick();  // entries, none current or selected
  EXPECT_EQ(viewer.view(), nullptr);
  for (const int row : {2, 1}) files->item(row)->setSelected(true);
  ASSERT_EQ(files->currentRow(), -1);
  viewer.lstFiles_DblClick();
  EXPECT_EQ(shown(viewer.view()).first, qpath(folder / "b.txt"));
  EXPECT_TRUE(scripted.boxes.shown.empty());
}

TEST_F(Viewer, ADoubleClickedFileOpensADesignedViewerCentredOverTheWindowThatTakesTheKeyboardAndEscCloses) {
  list({{"a.txt", "first\r\nsecond"}, {"b.txt", "line one\rline two\nstill two"}});
  window.move(300, 200);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  MousePointer pointerDuringRead = MousePointer::Default;
  scripted.pump.onPump = [&] { pointerDuringRead = pointer(); };

  const QPoint second = files->visualItemRect(files->item(1)).center();
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second);  // the double-click's first press
  QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, second);

  frmView* view = viewer.view();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(shown(view), file("b.txt", "line one\nline two\nstill two\n"));
  EXPECT_EQ(std::pair(pointerDuringRead, pointer()), std::pair(MousePointer::Hourglass, MousePointer::Default));
  EXPECT_TRUE(shownAsDesigned(view));

  // A size the text box cannot take leaves that dimension alone.
  const int designedWidth = view->txtView->width();
  const QSize fitting = QSize(300, 300) + view->frameGeometry().size() - view->size() - kTextAllowance;
  view->resize(10, 300);
  EXPECT_EQ(view->txtView->size(), QSize(designedWidth, fitting.height()));
  view->resize(300, 10);
  EXPECT_EQ(view->txtView->size(), fitting);

  // It takes the keyboard from the window whenever a file is shown in it.
  for (const int row : {1, 0}) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
    ASSERT_EQ(doubleClick(row), view);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == view->txtView; })) << row;
  }
  QTest::keyClick(view->txtView, Qt::Key_Escape);
  EXPECT_EQ(viewer.view(), nullptr);
}

// A file that cannot be read is reported and changes no viewer, whether one is open or not.
TEST_F(Viewer, OneViewerStaysWhereTheUserLeftItUntilClosedThenComesBackAsDesigned) {
  list({{"empty.txt", ""}, {"b.txt", "beta"}, {"gone.txt", "text"}});
  std::filesystem::remove(folder / "gone.txt");
  EXPECT_EQ(doubleClick(2), nullptr);
  ASSERT_EQ(scripted.boxes.shown.size(), 1u);
  EXPECT_EQ(std::tie(scripted.boxes.shown[0].text, scripted.boxes.shown[0].style, scripted.boxes.shown[0].title),
            std::tuple("The file '" + qpath(folder / "gone.txt") + "' could not be shown.\r\rError number:  53\r"
                       "Error generated by: Sorvane\rError description: File not found", MessageStyle::Critical,
                       QString(kApplicationTitle)));
  EXPECT_EQ(pointer(), MousePointer::Default);

  QPointer<frmView> first = doubleClick(0);
  ASSERT_TRUE(first);  // an empty file is shown too
  EXPECT_TRUE(first->txtView->toPlainText().isEmpty());
  first->setGeometry(50, 60, 500, 400);
  EXPECT_EQ(doubleClick(1), first.data());
  EXPECT_EQ(doubleClick(2), first.data());
  EXPECT_EQ(shown(first), file("b.txt", "beta\n"));
  EXPECT_EQ(first->geometry(), QRect(50, 60, 500, 400));

  first->close();
  EXPECT_EQ(viewer.view(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());
  EXPECT_TRUE(shownAsDesigned(doubleClick(0)));
}

// Meanwhile a replace run renames its rewrite over the file and puts the default pointer back.
TEST_F(Viewer, DuringALoadASecondDoubleClickIsIgnoredAndAFileRewrittenIsShownWhollyOld) {
  const std::string old = QByteArray("old line\r\n").repeated(10).toStdString();
  list({{"a.txt", old}, {"b.txt", "beta"}});
  MousePointer pointerMeanwhile = MousePointer::Default;
  scripted.pump.onPump = [&] {
    if (scripted.pump.calls == 1) {
      writeFile(folder / "rewrite.tmp", "new line\r\n");
      std::filesystem::rename(folder / "rewrite.tmp", folder / "a.txt");
      platform::setMousePointer(window, MousePointer::Default);
      return;
    }
    doubleClick(1);
    pointerMeanwhile = pointer();
  };
  ASSERT_NE(doubleClick(0), nullptr);
  EXPECT_EQ(scripted.pump.calls, 25);  // one after each chunk
  EXPECT_EQ(std::pair(pointerMeanwhile, pointer()), std::pair(MousePointer::Hourglass, MousePointer::Default));
  EXPECT_EQ(shown(viewer.view()), std::pair(qpath(folder / "a.txt"), QString::fromStdString(old).replace("\r\n", "\n")));
}

}  // namespace
}  // namespace sorvane::testing
