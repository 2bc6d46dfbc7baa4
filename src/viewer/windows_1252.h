#pragma once

#include <QString>
#include <string_view>

namespace sorvane::viewer {

// Text in the Windows code page 1252, the 8-bit code page that files which are not UTF-8 most
// often come from. Its five unassigned bytes become the C1 controls of the same value.
QString fromWindows1252(std::string_view bytes);

}  // namespace sorvane::viewer
