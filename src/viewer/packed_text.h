#pragma once

#include "viewer/viewer_text_sink.h"

#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <memory>
#include <vector>

namespace sorvane::viewer {

// A text made ready for a ViewerTextBox. A text document's cost grows with its paragraphs, so
// past a budget of paragraphs several lines share one, joined by line separators; each
// paragraph's line count is noted, so the box can measure lines before it lays them out.
struct PackedText {
  std::unique_ptr<QTextDocument> document;
  std::vector<int> lineCounts;  // one for each paragraph of the document
};

inline constexpr int kParagraphBudget = 32768;

// Packs a text, in which CR LF, a lone CR and a lone LF each end a line as in setPlainText, a
// piece at a time as it comes. The document belongs to no widget, so the box it is meant for
// may go away meanwhile.
class TextPacker final : public ViewerTextSink {
 public:
  explicit TextPacker(int paragraphBudget = kParagraphBudget);

  void start(qsizetype characters) override;
  void append(QStringView text) override;
  // The text packed so far; the packer is spent.
  PackedText finish();

 private:
  int paragraphBudget_;
  qsizetype paragraphSize_ = 0;  // paragraphs of at least this many characters are within the budget
  PackedText packed_;
  QTextCursor end_;
  QTextBlock uncounted_;  // the last paragraph, which may still grow
  QString piece_;
  qsizetype inParagraph_ = 0;  // characters since the last paragraph end
  bool afterCr_ = false;       // the last piece ended in CR, which an LF would join
};

}  // namespace sorvane::viewer
