#pragma once

#include <QIcon>

namespace sorvane::ui {

// The program's icon, drawn at 16×16 and 32×32 so neither size is scaled from the other.
QIcon windowIcon();

}  // namespace sorvane::ui
