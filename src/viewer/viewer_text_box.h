#pragma once

#include "viewer/packed_text.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <cstdint>

namespace sorvane::viewer {

// What to select on the line gone to: the `ordinal`-th match of `text` (from 0) from the line's
// start. An empty text selects nothing.
struct LineMark {
  QString text;
  int ordinal = 0;
  Qt::CaseSensitivity caseSensitivity = Qt::CaseSensitive;
};

// A read-only plain-text box for a long text, packed by TextPacker with several lines to a
// paragraph. The box keeps each paragraph's line count set, so the scroll bars measure lines
// before the paragraphs are laid out, as they do with one line to a paragraph. Its text is set
// through showText only.
class ViewerTextBox final : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit ViewerTextBox(QWidget* parent = nullptr);

  // Replaces the text with a packed one, taking its document over.
  void showText(PackedText packed);
  // Scrolls line `line` (from 1) to the middle of the box and puts the cursor at its start, or
  // selects `mark` on it where it is found.
  void goToLine(std::int64_t line, const LineMark& mark = {});

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Laying the document out anew forgets the line counts; they are put back, and the view
  // keeps its place.
  template <typename Relayout>
  void keepingLineCounts(Relayout relayout);

  QPointer<QTextDocument> ownDocument_;
};

}  // namespace sorvane::viewer
