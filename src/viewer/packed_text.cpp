#include "viewer/packed_text.h"

#include "engine/yielder.h"

#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

namespace sorvane::viewer {
namespace {

constexpr char16_t CR = u'\r';
constexpr char16_t LF = u'\n';

// Puts `text` into `packed` with each line end a line separator, or a paragraph end once the
// paragraph holds `paragraphSize` characters; `inParagraph` counts them across calls.
void packLines(QStringView text, qsizetype paragraphSize, qsizetype& inParagraph, QString& packed) {
  packed.resize(text.size());
  QChar* out = packed.data();
  for (qsizetype at = 0; at < text.size(); ++at) {
    const QChar c = text[at];
    if (c != QChar(CR) && c != QChar(LF)) {
      *out++ = c;
      ++inParagraph;
      continue;
    }
    if (c == QChar(CR) && at + 1 < text.size() && text[at + 1] == QChar(LF)) ++at;
    const bool paragraphEnds = inParagraph >= paragraphSize;
    *out++ = paragraphEnds ? QChar(LF) : QChar(QChar::LineSeparator);
    inParagraph = paragraphEnds ? 0 : inParagraph + 1;
  }
  packed.truncate(out - packed.constData());
}

// Taken from the document itself: any paragraph end in the text is one for it too.
int linesIn(const QTextBlock& paragraph) {
  return 1 + static_cast<int>(paragraph.text().count(QChar(QChar::LineSeparator)));
}

}  // namespace

PackedText packText(const QString& text, int paragraphBudget, const LoadPacing& pacing,
                    const std::function<void()>& betweenChunks) {
  PackedText packed{std::make_unique<QTextDocument>(), {}};
  packed.document->setUndoRedoEnabled(false);
  // Paragraphs of at least this many characters are within the budget.
  const qsizetype paragraphSize = text.size() / std::max(paragraphBudget, 1);
  Yielder yielder(
      [&betweenChunks] {
        if (betweenChunks) betweenChunks();
        return true;  // the text is always packed whole
      },
      pacing.interval);

  const qsizetype chunkSize = static_cast<qsizetype>(std::max<std::size_t>(pacing.chunkSize, 1));
  QTextCursor cursor(packed.document.get());
  QString chunk;
  qsizetype inParagraph = 0;
  QTextBlock uncounted = packed.document->firstBlock();  // the last paragraph may still grow
  for (qsizetype at = 0; at < text.size();) {
    qsizetype end = std::min(text.size(), at + chunkSize);
    if (text[end - 1] == QChar(CR) && end < text.size() && text[end] == QChar(LF)) ++end;  // one line end
    packLines(QStringView(text).mid(at, end - at), paragraphSize, inParagraph, chunk);
    cursor.insertText(chunk);
    for (; uncounted.next().isValid(); uncounted = uncounted.next()) packed.lineCounts.push_back(linesIn(uncounted));
    at = end;
    yielder.poll();
  }
  packed.lineCounts.push_back(linesIn(uncounted));
  return packed;
}

}  // namespace sorvane::viewer
