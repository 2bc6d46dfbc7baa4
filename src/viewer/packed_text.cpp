#include "viewer/packed_text.h"

#include <algorithm>

namespace sorvane::viewer {
namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';

// Taken from the document itself: any paragraph end in the text is one for it too.
int linesIn(const QTextBlock& paragraph) {
  return 1 + static_cast<int>(paragraph.text().count(QChar(QChar::LineSeparator)));
}

}  // namespace

TextPacker::TextPacker(int paragraphBudget)
    : paragraphBudget_(std::max(paragraphBudget, 1)), packed_{std::make_unique<QTextDocument>(), {}} {
  packed_.document->setUndoRedoEnabled(false);
  end_ = QTextCursor(packed_.document.get());
  uncounted_ = packed_.document->firstBlock();
}

void TextPacker::start(qsizetype characters) { paragraphSize_ = characters / paragraphBudget_; }

// Each line end becomes a line separator, or a paragraph end once the paragraph is long enough.
void TextPacker::append(QStringView text) {
  if (text.isEmpty()) return;
  if (afterCr_ && text.front() == QChar(LF)) text = text.mid(1);  // the second half of a CR LF
  afterCr_ = text.endsWith(QChar(CR));
  piece_.resize(text.size());
  QChar* out = piece_.data();
  for (qsizetype at = 0; at < text.size(); ++at) {
    const QChar c = text[at];
    if (c != QChar(CR) && c != QChar(LF)) {
      *out++ = c;
      ++inParagraph_;
      continue;
    }
    if (c == QChar(CR) && at + 1 < text.size() && text[at + 1] == QChar(LF)) ++at;
    const bool paragraphEnds = inParagraph_ >= paragraphSize_;
    *out++ = paragraphEnds ? QChar(LF) : QChar(QChar::LineSeparator);
    inParagraph_ = paragraphEnds ? 0 : inParagraph_ + 1;
  }
  piece_.truncate(out - piece_.constData());
  end_.insertText(piece_);
  for (; uncounted_.next().isValid(); uncounted_ = uncounted_.next()) packed_.lineCounts.push_back(linesIn(uncounted_));
}

PackedText TextPacker::finish() {
  packed_.lineCounts.push_back(linesIn(uncounted_));
  return std::move(packed_);
}

}  // namespace sorvane::viewer
