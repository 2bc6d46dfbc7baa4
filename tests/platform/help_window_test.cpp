#include "platform/common_dialog.h"
#include "platform/dialog_error.h"
#include "platform/help_window.h"
#include "vocabulary/vocabulary.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QWidget>
#include <memory>

#include <gtest/gtest.h>

namespace sorvane::platform {
namespace {

const QString kShippedHelpFile = QStringLiteral(SORVANE_SHIPPED_HELP_FILE);

QList<QWidget*> helpWindows() {
  QList<QWidget*> found;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String("helpWindow")) found.append(widget);
  return found;
}

QTextBrowser* helpBrowser() {
  const QList<QWidget*> windows = helpWindows();
  return windows.size() == 1 ? windows.front()->findChild<QTextBrowser*>(QStringLiteral("helpBrowser")) : nullptr;
}

// Lets the browser lay out its text, so scrolling means something.
void settle() { QApplication::processEvents(); }

// One window for every request, not modal, reopened at the top of the contents; it goes with
// the engine and never keeps the program running.
TEST(HelpWindowTest, ShippedHelpFileOpensInOneNonModalWindowAtItsContents) {
  ASSERT_TRUE(QFile::exists(kShippedHelpFile)) << kShippedHelpFile.toStdString();
  auto engine = std::make_unique<HelpWindowEngine>();
  engine->show(kShippedHelpFile, kHelpContents);
  ASSERT_EQ(helpWindows().size(), 1);
  QPointer<QWidget> window = helpWindows().front();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->parentWidget(), nullptr);
  EXPECT_FALSE(window->isModal());
  EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Sorvane Help"));
  QTextBrowser* browser = helpBrowser();
  ASSERT_NE(browser, nullptr);
  settle();
  const QString text = browser->toPlainText();
  for (const char* title : {"Contents", "What Sorvane does", "File mode", "Folder mode", "Finding and replacing",
                            "Taking a run back", "The viewer", "What Sorvane remembers", "The keyboard", "The command line",
                            "~/.local/state/sorvane/runs/", "Undo Last Replace"})
    EXPECT_TRUE(text.contains(QLatin1String(title))) << title;

  browser->verticalScrollBar()->setValue(browser->verticalScrollBar()->maximum());
  ASSERT_GT(browser->verticalScrollBar()->value(), 0);
  engine->show(kShippedHelpFile, kHelpContents);
  ASSERT_EQ(helpWindows().size(), 1);
  EXPECT_EQ(helpWindows().front(), window.data());
  settle();
  EXPECT_EQ(browser->verticalScrollBar()->value(), 0);

  // Closing only puts the window away; the next request brings it back.
  window->close();
  engine->show(kShippedHelpFile, kHelpContents);
  EXPECT_EQ(helpWindows(), QList<QWidget*>{window.data()});
  EXPECT_TRUE(window->isVisible());
  engine.reset();
  EXPECT_TRUE(window.isNull());
}

TEST(HelpWindowTest, EveryLinkInTheShippedHelpFileLeadsToASection) {
  HelpWindowEngine engine;
  engine.show(kShippedHelpFile, kHelpContents);
  QTextBrowser* browser = helpBrowser();
  ASSERT_NE(browser, nullptr);

  QSet<QString> targets;
  QStringList links;
  for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
      const QTextCharFormat format = fragment.fragment().charFormat();
      for (const QString& name : format.anchorNames()) targets.insert(name);
      if (format.isAnchor() && !format.anchorHref().isEmpty()) links.append(format.anchorHref());
    }
  }
  ASSERT_GE(links.size(), 8);
  for (const QString& link : links) {
    ASSERT_TRUE(link.startsWith(QLatin1Char('#'))) << link.toStdString();
    EXPECT_TRUE(targets.contains(link.mid(1))) << link.toStdString();
  }
}

TEST(HelpWindowTest, MissingOrUnreadableFileShowsWhereItWasLookedFor) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString missing = folder.filePath(QStringLiteral("No Such Help.hlp"));
  const QString relative = QStringLiteral("sorvane-missing-help.hlp");
  HelpWindowEngine engine;
  // A folder cannot be read as a file; a relative name is shown in full.
  for (const auto& [given, shown] : {std::pair{missing, missing}, std::pair{folder.path(), folder.path()},
                                     std::pair{relative, QDir::current().absoluteFilePath(relative)}}) {
    SCOPED_TRACE(given.toStdString());
    EXPECT_NO_THROW(engine.show(given, kHelpContents));
    QTextBrowser* browser = helpBrowser();
    ASSERT_NE(browser, nullptr);
    const QString text = browser->toPlainText();
    EXPECT_TRUE(text.contains(QLatin1String("cannot find"))) << text.toStdString();
    EXPECT_TRUE(text.contains(shown)) << text.toStdString();
    EXPECT_TRUE(helpWindows().front()->isVisible());
  }
}

TEST(HelpWindowTest, AnyOtherCommandIsAnInvalidCallAndOpensNothing) {
  HelpWindowEngine engine;
  for (const int command : {0, 1, 2, 4, 11, -1}) EXPECT_THROW(engine.show(kShippedHelpFile, command), DialogError);
  try {
    engine.show(kShippedHelpFile, 0);
  } catch (const DialogError& error) {
    EXPECT_EQ(std::tuple(error.number, error.source, error.description),
              std::tuple(5, QString(kApplicationTitle), QStringLiteral("Invalid procedure call or argument")));
  }
  EXPECT_TRUE(helpWindows().isEmpty());
}

}  // namespace
}  // namespace sorvane::platform
