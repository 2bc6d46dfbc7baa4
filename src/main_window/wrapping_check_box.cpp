#include "main_window/wrapping_check_box.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <algorithm>

namespace sorvane::ui {
namespace {

constexpr int kCaptionFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

}  // namespace

QRect WrappingCheckBox::captionArea(const QRect& box) const {
  const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
  const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
  return box.adjusted(indicator + spacing, 0, 0, 0);
}

QSize WrappingCheckBox::sizeForCaption(QSize designed, int widest) const {
  int longestWord = 0;
  for (const QString& word : text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
    longestWord = std::max(longestWord, fontMetrics().boundingRect(QRect(), 0, word).width());
  const int wordWidth = captionArea(QRect(0, 0, 0, 0)).left() + longestWord;
  const int width = std::max(designed.width(), std::min(widest, wordWidth));
  const QRect lines = fontMetrics().boundingRect(captionArea(QRect(0, 0, width, QWIDGETSIZE_MAX)), kCaptionFlags, text());
  return {width, std::max(designed.height(), lines.height())};
}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();  // the indicator alone; the caption is drawn wrapped beside it
  option.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
  style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawText(captionArea(rect()), kCaptionFlags, text());
}

// The caption is part of the box: a click on any of its lines toggles it.
bool WrappingCheckBox::hitButton(const QPoint& position) const { return rect().contains(position); }

}  // namespace sorvane::ui
