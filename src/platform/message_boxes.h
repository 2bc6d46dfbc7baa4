#pragma once

#include <QString>

class QWidget;

namespace sorvane::platform {

// Message boxes by style number (16 critical, 64 information, 274 Abort/Retry/Ignore with
// Retry preselected), answering with the button number (1 OK, 3 Abort, 4 Retry, 5 Ignore).
// A CR in the text is a line break.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual int show(QWidget* parent, const QString& text, int style, const QString& title) = 0;
};

// Real, modal message boxes.
class QtMessageBoxes final : public MessageBoxes {
 public:
  int show(QWidget* parent, const QString& text, int style, const QString& title) override;
};

}  // namespace sorvane::platform
