#include "main_window/wrapping_check_box.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace sorvane::ui {
namespace {

constexpr qreal kSmallestPoints = 6;

}  // namespace

void WrappingCheckBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();  // the indicator alone; the caption is drawn wrapped below
  const QRect indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
  option.rect = indicator;
  style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);

  const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this);
  const QRect textArea = rect().adjusted(indicator.right() + 1 + spacing, 0, 0, 0);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  // The box is sized for a narrow dialog font: a wider one is made smaller until the words fit.
  constexpr int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
  QFont captionFont = font();
  while (captionFont.pointSizeF() > kSmallestPoints) {
    const QRect needed = QFontMetrics(captionFont).boundingRect(textArea, flags, text());
    if (needed.width() <= textArea.width() && needed.height() <= textArea.height()) break;
    captionFont.setPointSizeF(captionFont.pointSizeF() - 0.5);
  }
  painter.setFont(captionFont);
  painter.drawText(textArea, flags, text());
}

// The caption is part of the box: a click on any of its lines toggles it.
bool WrappingCheckBox::hitButton(const QPoint& position) const { return rect().contains(position); }

}  // namespace sorvane::ui
