#pragma once

#include "vocabulary/vocabulary.h"

#include <QString>

class QWidget;

namespace sorvane::platform {

// Message boxes by style, answering with the button pressed. A CR in the text is a line break.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MessageAnswer show(QWidget* parent, const QString& text, MessageStyle style, const QString& title) = 0;
};

// Real, modal message boxes.
class QtMessageBoxes final : public MessageBoxes {
 public:
  MessageAnswer show(QWidget* parent, const QString& text, MessageStyle style, const QString& title) override;
};

}  // namespace sorvane::platform
