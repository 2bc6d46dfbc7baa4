#pragma once

#include <string>
#include <string_view>

namespace sorvane {

// The name a new content takes beside the file it is to replace, until it is renamed over it:
// a fixed prefix, six random letters or digits and a fixed suffix, so that one left over after
// a kill is recognisable, and never taken for the user's text.
inline constexpr std::string_view kTemporaryPrefix = ".sorvane-";
inline constexpr std::string_view kTemporarySuffix = ".tmp";

// A fresh name; whoever creates the file retries with another where the name is taken.
std::string randomTemporaryName();

bool isTemporaryName(std::string_view name);

}  // namespace sorvane
