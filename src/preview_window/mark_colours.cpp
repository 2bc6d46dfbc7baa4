#include "preview_window/mark_colours.h"

#include <QPalette>
#include <cmath>

namespace sorvane::preview {
namespace {

// Text on a mark must read as easily as body text is asked to (WCAG's AA level).
constexpr double kReadableContrast = 4.5;
// How much of the tint goes into the list's ground: enough to find the mark, not so much that
// it outshouts the text.
constexpr double kTintShare = 0.35;

double luminance(const QColor& colour) {
  const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

MarkColour onGround(const QColor& ground, const QColor& text) {
  if (contrastRatio(text, ground) >= kReadableContrast) return {ground, text};
  const QColor black(Qt::black), white(Qt::white);
  return {ground, contrastRatio(black, ground) >= contrastRatio(white, ground) ? black : white};
}

}  // namespace

QColor blend(const QColor& ground, const QColor& tint, double share) {
  const auto mix = [share](double a, double b) { return a + (b - a) * share; };
  return QColor::fromRgbF(static_cast<float>(mix(ground.redF(), tint.redF())),
                          static_cast<float>(mix(ground.greenF(), tint.greenF())),
                          static_cast<float>(mix(ground.blueF(), tint.blueF())));
}

double contrastRatio(const QColor& a, const QColor& b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

MarkColours markColours(const QPalette& palette) {
  const QColor base = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  return {onGround(blend(base, QColor(230, 30, 30), kTintShare), text),
          onGround(blend(base, QColor(30, 190, 30), kTintShare), text),
          onGround(blend(base, text, 0.2), text)};
}

}  // namespace sorvane::preview
