#include "viewer/viewer_text_box.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <QTextDocumentFragment>

namespace sorvane::testing {
namespace {

using viewer::ViewerTextBox;

// Lines of varying length, ended every way a text may end them, the last one too; a few hold
// a paragraph separator, which a text document takes for a line end as well.
QString sampleText(int lines) {
  QString text;
  const char* const ends[] = {"\r\n", "\r", "\n"};
  for (int i = 0; i < lines; ++i) {
    QString line(5 + (i * 7) % 40, QChar(u'a' + i % 26));
    if (i % 50 == 7) line.insert(3, QChar(QChar::ParagraphSeparator));
    text += line + QString::fromLatin1(ends[i % 3]);
  }
  return text;
}

// Packs `text` three characters at a time, which splits some CR LF pairs.
viewer::PackedText packInThrees(const QString& text) {
  viewer::TextPacker packer(16);
  packer.start(text.size());
  for (qsizetype at = 0; at < text.size(); at += 3) packer.append(QStringView(text).mid(at, 3));
  return packer.finish();
}

// The box with several lines to a paragraph must look and scroll like a plain one.
class PackedTextBox : public ::testing::Test {
 protected:
  void SetUp() override {
    for (QPlainTextEdit* box : std::initializer_list<QPlainTextEdit*>{&plain, &packed}) {
      box->setLineWrapMode(QPlainTextEdit::NoWrap);
      box->setReadOnly(true);
      box->resize(200, 150);
      box->show();
    }
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&packed));
    plain.setPlainText(text);
    packed.showText(packInThrees(text));
    QCoreApplication::processEvents();
  }

  void expectSameScrolling(const char* when) {
    EXPECT_EQ(std::pair(packed.document()->lineCount(), packed.verticalScrollBar()->maximum()),
              std::pair(plain.document()->lineCount(), plain.verticalScrollBar()->maximum())) << when;
  }

  const QString text = sampleText(200);
  QPlainTextEdit plain;
  ViewerTextBox packed;
};

TEST_F(PackedTextBox, GivesBackAndScrollsOverEveryLineAsAPlainBoxDoesBeforeAndAfterItIsLaidOutAnew) {
  ASSERT_LE(packed.document()->blockCount(), 16 + 1 + 4);  // the budget, its rounding and the separators
  EXPECT_EQ(packed.document()->toPlainText(), plain.document()->toPlainText());
  packed.selectAll();  // what a copy takes
  plain.selectAll();
  EXPECT_EQ(packed.textCursor().selection().toPlainText(), plain.textCursor().selection().toPlainText());
  expectSameScrolling("shown");

  packed.verticalScrollBar()->setValue(120);
  plain.resize(260, 150);
  packed.resize(260, 150);  // a new width lays the document out again
  expectSameScrolling("wider");
  EXPECT_EQ(packed.verticalScrollBar()->value(), 120);

  QFont larger = packed.font();
  larger.setPointSize(larger.pointSize() + 4);
  plain.setFont(larger);
  packed.setFont(larger);
  EXPECT_EQ(packed.document()->lineCount(), plain.document()->lineCount());

  // The plain box measures its last lines in the new font only once it is scrolled.
  packed.verticalScrollBar()->setValue(packed.verticalScrollBar()->maximum());
  plain.verticalScrollBar()->setValue(plain.verticalScrollBar()->maximum());
  QCoreApplication::processEvents();
  expectSameScrolling("larger font, at the end");
}

// A preview opens the viewer at an occurrence's line, which may lie inside a packed paragraph.
TEST_F(PackedTextBox, ANewTextReleasesTheOldDocumentAndGoesToALineInsideAPackedParagraph) {
  const QPointer<QTextDocument> first = packed.document();
  QString lines;
  for (int i = 1; i <= 200; ++i) lines += QStringLiteral("line %1\r\n").arg(i);
  packed.showText(packInThrees(lines));
  EXPECT_TRUE(first.isNull());
  EXPECT_FALSE(packed.document()->isUndoRedoEnabled());
  for (const int line : {1, 17, 150, 200}) {
    packed.goToLine(line);
    QTextCursor cursor = packed.textCursor();
    cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    EXPECT_EQ(cursor.selectedText(), QStringLiteral("line %1").arg(line));
    EXPECT_LE(packed.verticalScrollBar()->value(), line - 1);
  }
}

}  // namespace
}  // namespace sorvane::testing
