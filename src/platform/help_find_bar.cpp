#include "platform/help_find_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

namespace sorvane::platform {

HelpFindBar::HelpFindBar(QTextBrowser& browser, QWidget* parent) : QWidget(parent), browser_(browser) {
  setObjectName(QStringLiteral("helpFindBar"));
  text_ = new QLineEdit(this);
  text_->setObjectName(QStringLiteral("helpFindText"));
  text_->setClearButtonEnabled(true);
  auto* caption = new QLabel(QStringLiteral("&Find:"), this);
  caption->setBuddy(text_);
  notFound_ = new QLabel(QStringLiteral("Not found"), this);
  notFound_->setObjectName(QStringLiteral("helpNotFound"));
  notFound_->hide();

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(caption);
  layout->addWidget(text_, 1);
  layout->addWidget(notFound_);
  connect(text_, &QLineEdit::textEdited, this, [this] { find(false); });
  connect(text_, &QLineEdit::returnPressed, this, [this] { find(true); });
}

void HelpFindBar::open() {
  show();
  text_->selectAll();
  text_->setFocus(Qt::ShortcutFocusReason);
}

// As the text grows, the occurrence found so far is looked at again from its start, so it
// stays where it is while it still matches; Enter goes past it.
void HelpFindBar::find(bool next) {
  QTextCursor from = browser_.textCursor();
  from.setPosition(next ? from.selectionEnd() : from.selectionStart());
  QTextCursor found = browser_.document()->find(text_->text(), from);
  if (found.isNull()) found = browser_.document()->find(text_->text(), 0);
  notFound_->setVisible(found.isNull() && !text_->text().isEmpty());
  if (found.isNull()) {
    from.clearSelection();
    found = from;
  }
  browser_.setTextCursor(found);
}

}  // namespace sorvane::platform
