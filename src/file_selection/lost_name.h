#pragma once

#include <QString>

class QWidget;

namespace sorvane::platform {
class MessageBoxes;
}

namespace sorvane::file_selection {

// Refuses a path that a dialog or a drop could not hand over whole (its name is not UTF-8, and
// the toolkit kept only a likeness of it), with a message that names it; false for any other.
bool refusedAsLost(const QString& path, platform::MessageBoxes& messageBoxes, QWidget* parent);

}  // namespace sorvane::file_selection
