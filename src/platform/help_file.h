#pragma once

#include <QString>

namespace sorvane::platform {

// The program's help file: beside the program in a build tree, in <prefix>/share/sorvane once
// installed (a data file does not belong in bin/). When neither exists, the path beside the
// program is named.
QString helpFilePath();

}  // namespace sorvane::platform
