#pragma once

#include "viewer/load_pacing.h"

#include <QString>
#include <QTextDocument>
#include <functional>
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

// Packs `text`, in which CR LF, a lone CR and a lone LF each end a line as in setPlainText,
// `pacing.chunkSize` characters at a time; `betweenChunks` runs between them, by time. The
// document belongs to no widget, so the box it is meant for may go away meanwhile.
PackedText packText(const QString& text, int paragraphBudget = kParagraphBudget, const LoadPacing& pacing = {},
                    const std::function<void()>& betweenChunks = {});

}  // namespace sorvane::viewer
