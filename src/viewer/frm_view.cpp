#include "viewer/frm_view.h"

#include "main_window/window_frame.h"
#include "viewer/viewer_text_box.h"

#include <QCloseEvent>

namespace sorvane::viewer {
namespace {

constexpr ui::Twips kDesignedClientWidth = 6060;
constexpr ui::Twips kDesignedClientHeight = 4380;
constexpr ui::Twips kTextLeft = 120;
constexpr ui::Twips kTextTop = 120;
// What the text box leaves of the outer size: its margins and the frame.
constexpr ui::Twips kTextWidthAllowance = 360;
constexpr ui::Twips kTextHeightAllowance = 600;

}  // namespace

frmView::frmView(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("frmView"));
  setAttribute(Qt::WA_DeleteOnClose);
  txtView = new ViewerTextBox(this);
  txtView->setObjectName(QStringLiteral("txtView"));
  txtView->setReadOnly(true);
  txtView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  txtView->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtView->move(ui::toPixels(kTextLeft), ui::toPixels(kTextTop));
  resize(ui::toPixels(kDesignedClientWidth), ui::toPixels(kDesignedClientHeight));
  Form_Resize();  // a hidden window gets its first resize event only when shown
}

void frmView::setText(const QString& text) {
  text_ = text;
  txtView->showText(text);
}

ui::Twips frmView::outerWidth() const { return ui::toTwips(width()) + ui::frameExtraWidth(*this); }

ui::Twips frmView::outerHeight() const { return ui::toTwips(height()) + ui::frameExtraHeight(*this); }

// A size the text box cannot take (negative, when the viewer is made very small or is
// minimized) leaves that dimension as it was.
void frmView::Form_Resize() {
  const ui::Twips width = outerWidth() - kTextWidthAllowance;
  const ui::Twips height = outerHeight() - kTextHeightAllowance;
  QSize size = txtView->size();
  if (width >= 0) size.setWidth(ui::toPixels(width));
  if (height >= 0) size.setHeight(ui::toPixels(height));
  txtView->resize(size);
}

void frmView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

// The window system reports its frame with a move, and the outer size changes with it.
void frmView::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  Form_Resize();
}

void frmView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownBefore_) return;
  shownBefore_ = true;
  if (const QWidget* owner = parentWidget()) {
    const QRect outer = frameGeometry();
    move(owner->frameGeometry().center() - QPoint(outer.width() / 2, outer.height() / 2));
  }
}

void frmView::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  closed_ = event->isAccepted();
}

}  // namespace sorvane::viewer
