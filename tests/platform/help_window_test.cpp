#include "platform/dialog_error.h"
#include "platform/help_window.h"
#include "run_program.h"
#include "vocabulary/vocabulary.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

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

// Clicks the first link whose text begins with `text`, as a user would.
void clickLink(QTextBrowser& browser, const QString& text) {
  QTextCursor link = browser.document()->find(text);
  ASSERT_FALSE(link.isNull()) << text.toStdString();
  link.setPosition(link.selectionStart() + 1);
  QTest::mouseClick(browser.viewport(), Qt::LeftButton, {}, browser.cursorRect(link).center());
}

// Reopened at the top of the contents; it goes with the engine and never keeps the program running.
// Back retraces the links; Ctrl+F's bar finds the next place at each Enter, from the top after the
// last; Esc puts it away, then closes the window.
TEST(HelpWindowTest, ShippedHelpFileOpensInOneNonModalWindowAtItsContentsWithBackAndFind) {
  ASSERT_TRUE(QFile::exists(kShippedHelpFile)) << kShippedHelpFile.toStdString();
  QWidget owner;  // the main window: the help is kept above it, placed over it
  owner.setGeometry(50, 60, 900, 700);
  auto engine = std::make_unique<HelpWindowEngine>();
  engine->show(&owner, kShippedHelpFile, kHelpContents, {});
  ASSERT_EQ(helpWindows().size(), 1);
  QPointer<QWidget> window = helpWindows().front();
  EXPECT_EQ(std::tuple(window->isVisible(), window->parentWidget(), window->isModal(),
                       window->testAttribute(Qt::WA_QuitOnClose), window->windowTitle()),
            std::tuple(true, &owner, false, false, QStringLiteral("Sorvane Help")));
  EXPECT_LE((window->geometry().center() - owner.frameGeometry().center()).manhattanLength(), 8);
  QTextBrowser& browser = *helpBrowser();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QApplication::processEvents();  // the browser lays out its text
  const QString text = browser.toPlainText();
  for (const char* title : {"Contents", "What Sorvane does", "File mode", "Folder mode", "File masks", "Finding and replacing",
                            "Taking a run back", "The viewer", "What Sorvane remembers", "The keyboard", "The command line",
                            "~/.local/state/sorvane/runs/", "Undo Last Replace", "Patterns and whole words",
                            "Regular expression", "Whole word"})
    EXPECT_TRUE(text.contains(QLatin1String(title))) << title;
  // The command-line section, the last, names every option that the usage names.
  const QString usage = QString::fromStdString(testing::runProgram(SORVANE_CLI_PATH, {"--help"}).out);
  ASSERT_TRUE(usage.startsWith(QLatin1String("Usage:")));
  const QString commandLine = text.mid(text.lastIndexOf(QLatin1String("The command line")));
  for (const QRegularExpressionMatch& option : QRegularExpression(QStringLiteral("--[a-z-]+")).globalMatch(usage))
    EXPECT_TRUE(commandLine.contains(option.captured())) << option.captured().toStdString();

  QScrollBar& scroll = *browser.verticalScrollBar();
  clickLink(browser, QStringLiteral("The command line"));
  const int atCommandLine = scroll.value();
  ASSERT_GT(atCommandLine, 0);
  clickLink(browser, QStringLiteral("take the run back"));
  ASSERT_LT(scroll.value(), atCommandLine);
  for (const int back : {atCommandLine, 0, 0}) {
    QTest::keyClick(&browser, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(scroll.value(), back);
  }

  engine->show(nullptr, kShippedHelpFile, kHelpKey, QStringLiteral("preview"));  // the preview's F1
  QApplication::processEvents();
  EXPECT_TRUE(browser.cursorForPosition({0, 0}).block().text().startsWith("Seeing the changes first"));
  scroll.setValue(scroll.maximum());
  ASSERT_GT(scroll.value(), 0);
  engine->show(nullptr, kShippedHelpFile, kHelpContents, {});
  ASSERT_EQ(helpWindows(), QList<QWidget*>{window.data()});
  QApplication::processEvents();
  EXPECT_EQ(scroll.value(), 0);

  QTest::keyClick(&browser, Qt::Key_F, Qt::ControlModifier);
  auto* findText = window->findChild<QLineEdit*>(QStringLiteral("helpFindText"));
  ASSERT_TRUE(findText->isVisible());
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("SORVANE-CLI --UNDO"));
  const int first = browser.textCursor().selectionStart();
  EXPECT_EQ(browser.textCursor().selectedText(), "sorvane-cli --undo");
  EXPECT_GT(scroll.value(), 0);  // brought into view
  QTest::keyClick(findText, Qt::Key_Return);
  EXPECT_GT(browser.textCursor().selectionStart(), first);
  QTest::keyClick(findText, Qt::Key_Return);  // it occurs twice
  EXPECT_EQ(browser.textCursor().selectionStart(), first);
  const QLabel* notFound = window->findChild<QLabel*>(QStringLiteral("helpNotFound"));
  EXPECT_FALSE(notFound->isVisible());
  QTest::keyClicks(findText, QStringLiteral("x"));
  EXPECT_TRUE(notFound->isVisible());

  QTest::keyClick(findText, Qt::Key_Escape);
  EXPECT_EQ(std::pair(findText->isVisible(), window->isVisible()), std::pair(false, true));
  QTest::keyClick(&browser, Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  // Closing only puts the window away; the next request brings it back.
  engine->show(nullptr, kShippedHelpFile, kHelpContents, {});
  EXPECT_EQ(std::pair(helpWindows(), window->isVisible()), std::pair(QList<QWidget*>{window.data()}, true));
  engine.reset();
  EXPECT_TRUE(window.isNull());
}

TEST(HelpWindowTest, EveryLinkLeadsToASectionAndEveryTextReadsUnderLightAndDarkPalettes) {
  const QPalette light = QApplication::palette();
  QPalette dark = light;
  for (const auto& [role, colour] : {std::pair{QPalette::Base, "#1e1e1e"}, {QPalette::Text, "#e0e0e0"},
                                     {QPalette::Link, "#6cb4ff"}})
    dark.setColor(role, QColor(colour));
  for (const QPalette& palette : {light, dark}) {
    QApplication::setPalette(palette);
    HelpWindowEngine engine;
    engine.show(nullptr, kShippedHelpFile, kHelpContents, {});
    QSet<QString> targets;
    QStringList links;
    for (QTextBlock block = helpBrowser()->document()->begin(); block.isValid(); block = block.next())
      for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QTextCharFormat format = fragment.fragment().charFormat();
        for (const QString& name : format.anchorNames()) targets.insert(name);
        if (format.isAnchor() && !format.anchorHref().isEmpty()) links.append(format.anchorHref());
        const QColor text = format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color()
                                                                              : palette.color(QPalette::Text);
        const QColor ground = format.hasProperty(QTextFormat::BackgroundBrush) ? format.background().color()
                                                                                : palette.color(QPalette::Base);
        EXPECT_GE(std::abs(text.lightnessF() - ground.lightnessF()), 0.4)
            << fragment.fragment().text().toStdString() << " on " << palette.color(QPalette::Base).name().toStdString();
      }
    EXPECT_GE(links.size(), 8);
    for (const QString& link : links)
      EXPECT_TRUE(link.startsWith(QLatin1Char('#')) && targets.contains(link.mid(1))) << link.toStdString();
  }
  QApplication::setPalette(light);
}

// Any command but the contents is an invalid call and opens nothing.
TEST(HelpWindowTest, InvalidCommandsOpenNothingAndAMissingOrUnreadableFileShowsWhereItWasLookedFor) {
  HelpWindowEngine engine;
  for (const int command : {0, 1, 2, 4, 11, -1}) try {
      engine.show(nullptr, kShippedHelpFile, command, {});
      ADD_FAILURE() << command;
    } catch (const DialogError& error) {
      EXPECT_EQ(std::tuple(error.number, error.source, error.description),
                std::tuple(5, QString(kApplicationTitle), QStringLiteral("Invalid procedure call or argument"))) << command;
    }
  EXPECT_TRUE(helpWindows().isEmpty());

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString missing = folder.filePath(QStringLiteral("No Such Help.hlp"));
  const QString relative = QStringLiteral("sorvane-missing-help.hlp");
  // A folder cannot be read as a file; a relative name is shown in full.
  for (const auto& [given, shown] : {std::pair{missing, missing}, std::pair{folder.path(), folder.path()},
                                     std::pair{relative, QDir::current().absoluteFilePath(relative)}}) {
    SCOPED_TRACE(given.toStdString());
    EXPECT_NO_THROW(engine.show(nullptr, given, kHelpContents, {}));
    ASSERT_NE(helpBrowser(), nullptr);
    const QString text = helpBrowser()->toPlainText();
    EXPECT_TRUE(text.contains(QLatin1String("cannot find")) && text.contains(shown) && helpWindows().front()->isVisible())
        << text.toStdString();
  }
}

}  // namespace
}  // namespace sorvane::platform
