#pragma once

#include <string>
#include <string_view>

// Text as a preview shows it: UTF-8 in which a byte that forms no character, and a control
// character other than tab (C0, DEL and C1), are written \xNN, NN their number in hex, so that
// nothing a file or a name holds can move a terminal's cursor, colour its text or end its line.
namespace sorvane::display {

void appendEscaped(std::string& out, unsigned char byte);
void appendCharacter(std::string& out, char32_t character);

// UTF-8 text, a path say, in display form.
std::string shown(std::string_view utf8);

}  // namespace sorvane::display
