#include "cli/printed_line.h"

#include "engine/display/display_form.h"

#include <ostream>

namespace sorvane::cli {

std::ostream& printLine(std::ostream& out, std::string_view line) { return out << display::shown(line) << '\n'; }

}  // namespace sorvane::cli
