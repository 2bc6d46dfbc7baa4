#pragma once

#include <iosfwd>
#include <string_view>

namespace sorvane::cli {

// Every line the command line prints, but the preview's own, passes through here: a name or a
// term is printed in display form (control characters and bytes that are not UTF-8 as \xNN), so
// nothing it holds can move the terminal's cursor, colour its text or end its line.
std::ostream& printLine(std::ostream& out, std::string_view line);

}  // namespace sorvane::cli
