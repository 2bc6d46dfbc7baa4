#pragma once

#include "main_window/twips.h"

class QWidget;

// A window's outer size is its client area plus the frame the window system draws. Where it
// reports none (before the window is shown, or without a window manager), the designed border
// and title bar stand in.
namespace sorvane::ui {

inline constexpr Twips kDesignedBorder = 60;
inline constexpr Twips kDesignedTitleBar = 285;

bool frameKnown(const QWidget& window);
Twips frameExtraWidth(const QWidget& window);
Twips frameExtraHeight(const QWidget& window);

}  // namespace sorvane::ui
