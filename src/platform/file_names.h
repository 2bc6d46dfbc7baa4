#pragma once

#include <QString>
#include <string>

namespace sorvane::platform {

// Paths travel to and from the engine as the file system's own bytes, and widgets show them as
// UTF-8. A byte that is not part of UTF-8 is shown as the lone surrogate U+DC80 + byte, which
// no text holds, so a path the program found gives its bytes back whole on the way down.
QString shownPath(const std::string& path);
std::string fileSystemPath(const QString& path);

// Whether a path that a dialog or a drop handed over has lost bytes on the way: the toolkit
// put U+FFFD for what it could not decode, and the path names nothing.
bool lostItsBytes(const QString& path);

}  // namespace sorvane::platform
