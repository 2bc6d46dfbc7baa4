#pragma once

#include "main_window/form_layout.h"
#include "main_window/main_window_widgets.h"

class QWidget;

namespace sorvane::ui {

// Gives `widget` the rectangle `r`, in twips, in pixels.
void place(QWidget& widget, const TwipsRect& r);
// Places every widget as `geometry` says. The remember box's caption keeps the window's font,
// so its lines may need more room than designed: the box grows downward, and rightward into the
// frame's margin when one word needs it.
void placeWidgets(const MainWindowWidgets& widgets, const MainWindowGeometry& geometry);

}  // namespace sorvane::ui
