#pragma once

#include <QPlainTextEdit>
#include <QPointer>

class QTextDocument;

namespace sorvane::viewer {

// A read-only plain-text box that takes a long text in one go. A text document's cost grows
// with its paragraphs, so past a budget of paragraphs several lines share one, joined by line
// separators; the box keeps each paragraph's line count set, so the scroll bars measure lines
// before the paragraphs are laid out, as they do with one line to a paragraph. Its text is
// set through showText only.
class ViewerTextBox final : public QPlainTextEdit {
  Q_OBJECT
 public:
  static constexpr int kParagraphBudget = 32768;

  explicit ViewerTextBox(QWidget* parent = nullptr, int paragraphBudget = kParagraphBudget);

  // Replaces the text; CR LF, a lone CR and a lone LF each end a line, as in setPlainText.
  void showText(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Laying the document out anew forgets the line counts; they are put back, and the view
  // keeps its place.
  template <typename Relayout>
  void keepingLineCounts(Relayout relayout);

  int paragraphBudget_;
  QPointer<QTextDocument> ownDocument_;
};

}  // namespace sorvane::viewer
