#include "viewer/frm_view.h"

#include "viewer/viewer_text_box.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QShortcut>

namespace sorvane::viewer {
namespace {

constexpr platform::Twips kDesignedClientWidth = 6060;
constexpr platform::Twips kDesignedClientHeight = 4380;
constexpr platform::Twips kTextLeft = 120;
constexpr platform::Twips kTextTop = 120;
// What the text box leaves of the outer size: its margins and the frame.
constexpr platform::Twips kTextWidthAllowance = 360;
constexpr platform::Twips kTextHeightAllowance = 600;

}  // namespace

frmView::frmView(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("frmView"));
  setAttribute(Qt::WA_DeleteOnClose);
  txtView = new ViewerTextBox(this);
  txtView->setObjectName(QStringLiteral("txtView"));
  txtView->setReadOnly(true);
  txtView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // The one widget that takes the keyboard, so it has it whenever the viewer is active.
  txtView->setFocusPolicy(Qt::StrongFocus);
  txtView->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtView->move(platform::toPixels(kTextLeft), platform::toPixels(kTextTop));
  resize(platform::toPixels(kDesignedClientWidth), platform::toPixels(kDesignedClientHeight));
  Form_Resize();  // a hidden window gets its first resize event only when shown
  auto* closeKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(closeKey, &QShortcut::activated, this, &QWidget::close);
}

void frmView::setText(PackedText packed) { txtView->showText(std::move(packed)); }

// A size the text box cannot take (negative, when the viewer is made very small or is
// minimized) leaves that dimension as it was.
void frmView::Form_Resize() {
  const platform::Twips width = outerWidth() - kTextWidthAllowance;
  const platform::Twips height = outerHeight() - kTextHeightAllowance;
  QSize size = txtView->size();
  if (width >= 0) size.setWidth(platform::toPixels(width));
  if (height >= 0) size.setHeight(platform::toPixels(height));
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
  const QWidget* owner = parentWidget();
  outer_.centreOnFirstShow(owner != nullptr ? owner->frameGeometry() : QRect());
}

void frmView::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  closed_ = event->isAccepted();
}

}  // namespace sorvane::viewer
