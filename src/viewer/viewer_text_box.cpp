#include "viewer/viewer_text_box.h"

#include <QEvent>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>
#include <vector>

namespace sorvane::viewer {
namespace {

// Counts lines as the layout will, for paragraphs it has not laid out yet.
class LineCountedLayout final : public QPlainTextDocumentLayout {
 public:
  LineCountedLayout(QTextDocument* document, std::vector<int> lineCounts)
      : QPlainTextDocumentLayout(document), lineCounts_(std::move(lineCounts)) {}

  void restoreLineCounts() {
    std::size_t index = 0;
    for (QTextBlock block = document()->firstBlock(); block.isValid() && index < lineCounts_.size();
         block = block.next(), ++index) {
      if (block.layout()->lineCount() == 0 && block.lineCount() != lineCounts_[index])
        block.setLineCount(lineCounts_[index]);
    }
    emit documentSizeChanged(documentSize());
  }

 protected:
  void documentChanged(int from, int charsRemoved, int charsAdded) override {
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
    restoreLineCounts();
  }

 private:
  std::vector<int> lineCounts_;
};

}  // namespace

ViewerTextBox::ViewerTextBox(QWidget* parent) : QPlainTextEdit(parent) {}

void ViewerTextBox::showText(PackedText packed) {
  QTextDocument* document = packed.document.release();
  document->setParent(this);
  document->setDefaultFont(font());  // before the layout, which would lay everything out again
  auto* layout = new LineCountedLayout(document, std::move(packed.lineCounts));
  document->setDocumentLayout(layout);

  const QPointer<QTextDocument> previous = ownDocument_;
  setDocument(document);
  ownDocument_ = document;
  delete previous.data();  // a long text is not kept twice
  layout->restoreLineCounts();
}

// A paragraph may hold several lines, joined by line separators, and the box scrolls by line.
void ViewerTextBox::goToLine(std::int64_t line, const LineMark& mark) {
  std::int64_t linesAbove = 0;
  QTextBlock block = document()->firstBlock();
  while (block.next().isValid() && linesAbove + block.lineCount() < line) {
    linesAbove += block.lineCount();
    block = block.next();
  }
  const QString text = block.text();
  qsizetype offset = 0;
  for (std::int64_t shown = linesAbove + 1; shown < line; ++shown) {
    const qsizetype separator = text.indexOf(QChar::LineSeparator, offset);
    if (separator < 0) break;
    offset = separator + 1;
  }
  QTextCursor cursor(block);
  cursor.setPosition(block.position() + static_cast<int>(offset));
  // A line end inside the occurrence is a line separator here.
  const QString needle = QString(mark.text).replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
  qsizetype found = -1;
  for (qsizetype from = offset, match = 0; !needle.isEmpty() && match <= mark.ordinal; ++match, from = found + needle.size())
    if ((found = text.indexOf(needle, from, mark.caseSensitivity)) < 0) break;
  if (found >= 0) {
    cursor.setPosition(block.position() + static_cast<int>(found));
    cursor.setPosition(block.position() + static_cast<int>(found + needle.size()), QTextCursor::KeepAnchor);
  }
  setTextCursor(cursor);
  const int visibleLines = viewport()->height() / std::max(1, fontMetrics().lineSpacing());
  verticalScrollBar()->setValue(static_cast<int>(std::max<std::int64_t>(0, line - 1 - visibleLines / 2)));
}

template <typename Relayout>
void ViewerTextBox::keepingLineCounts(Relayout relayout) {
  const int topLine = verticalScrollBar()->value();
  relayout();
  if (auto* layout = dynamic_cast<LineCountedLayout*>(document()->documentLayout())) {
    layout->restoreLineCounts();
    verticalScrollBar()->setValue(topLine);
  }
}

// A change of width lays the whole document out anew.
void ViewerTextBox::resizeEvent(QResizeEvent* event) {
  keepingLineCounts([&] { QPlainTextEdit::resizeEvent(event); });
}

// So does a change of font or style.
void ViewerTextBox::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
    keepingLineCounts([&] { QPlainTextEdit::changeEvent(event); });
  else
    QPlainTextEdit::changeEvent(event);
}

}  // namespace sorvane::viewer
