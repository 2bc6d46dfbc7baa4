#pragma once

#include <QColor>

class QPalette;

namespace sorvane::preview {

// The grounds a line's marked part is drawn on, each with the text colour that reads on it.
struct MarkColour {
  QColor ground;
  QColor text;
};
struct MarkColours {
  MarkColour occurrence;   // what is replaced
  MarkColour replacement;  // what takes its place
  MarkColour kept;         // an occurrence whose box is cleared
};

// Taken from the palette, so the marks follow a light or a dark theme: a red, a green and a
// grey tint of the list's ground, and the palette's text wherever it reads well enough on it.
MarkColours markColours(const QPalette& palette);

// `ground` with `share` (0 to 1) of `tint` mixed in.
QColor blend(const QColor& ground, const QColor& tint, double share);

// The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

}  // namespace sorvane::preview
