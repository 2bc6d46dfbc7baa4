#include "viewer/viewer_text_box.h"

#include <QEvent>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <vector>

namespace sorvane::viewer {
namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';

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

qsizetype lineCount(const QString& text) {
  qsizetype lines = 1;
  const QChar* const end = text.constEnd();
  for (const QChar* c = text.constBegin(); c != end; ++c) {
    if (c->unicode() == LF || (c->unicode() == CR && (c + 1 == end || c[1].unicode() != LF))) ++lines;
  }
  return lines;
}

// The text with every `linesPerParagraph`-th line end a paragraph end and the others line
// separators.
QString packedLines(const QString& text, qsizetype linesPerParagraph) {
  QString packed(text.size(), Qt::Uninitialized);
  QChar* out = packed.data();
  qsizetype inParagraph = 0;
  const QChar* const end = text.constEnd();
  for (const QChar* c = text.constBegin(); c != end; ++c) {
    if (c->unicode() != CR && c->unicode() != LF) {
      *out++ = *c;
      continue;
    }
    if (c->unicode() == CR && c + 1 != end && c[1].unicode() == LF) ++c;
    if (++inParagraph == linesPerParagraph) {
      *out++ = QChar(LF);
      inParagraph = 0;
    } else {
      *out++ = QChar(QChar::LineSeparator);
    }
  }
  packed.truncate(out - packed.constData());
  return packed;
}

}  // namespace

ViewerTextBox::ViewerTextBox(QWidget* parent, int paragraphBudget)
    : QPlainTextEdit(parent), paragraphBudget_(paragraphBudget > 0 ? paragraphBudget : 1) {}

void ViewerTextBox::showText(const QString& text) {
  const qsizetype linesPerParagraph = (lineCount(text) + paragraphBudget_ - 1) / paragraphBudget_;
  auto* document = new QTextDocument(this);
  document->setUndoRedoEnabled(false);
  document->setDefaultFont(font());
  QTextCursor(document).insertText(linesPerParagraph > 1 ? packedLines(text, linesPerParagraph) : text);

  // Taken from the document itself: any paragraph end in the text is one for it too.
  std::vector<int> lineCounts;
  lineCounts.reserve(static_cast<std::size_t>(document->blockCount()));
  for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next())
    lineCounts.push_back(1 + static_cast<int>(block.text().count(QChar::LineSeparator)));
  auto* layout = new LineCountedLayout(document, std::move(lineCounts));
  document->setDocumentLayout(layout);

  const QPointer<QTextDocument> previous = ownDocument_;
  setDocument(document);
  ownDocument_ = document;
  delete previous.data();  // a long text is not kept twice
  layout->restoreLineCounts();
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
