#pragma once

#include "main_window/main_window_widgets.h"

namespace sorvane::ui {

// The tab sequence as designed, by tab index. Labels and frames stand in it but never take the
// focus, nor do disabled or hidden widgets.
void setDesignedTabOrder(const MainWindowWidgets& widgets);

// The order start-up gives the controls a user tabs through; the widgets it does not list follow
// in their designed order. Each listed widget also goes to the back of its container in turn, so
// the earliest listed ends uppermost.
void setStartupTabOrder(const MainWindowWidgets& widgets);

}  // namespace sorvane::ui
