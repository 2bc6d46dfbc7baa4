#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace sorvane {

// The name a new content takes beside the file it is to replace, until it is renamed over it:
// a fixed prefix, six random letters or digits and a fixed suffix, so that one left over after
// a kill is recognisable, and never taken for the user's text.
inline constexpr std::string_view kTemporaryPrefix = ".sorvane-";
inline constexpr std::string_view kTemporarySuffix = ".tmp";

// A fresh name, for a file made later by createTemporaryFile.
std::string randomTemporaryName();

// Told each name before a file is made under it, so that one left by a kill is known; returns 0,
// or an errno that ends the attempt.
using TemporaryNameAnnounce = std::function<int(const std::string& name)>;

// Makes a new file of its own in `folder`, open for writing only, mode 0600: under `name` if it
// holds one, else under a fresh name, and under another fresh one each time the name is taken.
// `name` ends holding the name tried last. The descriptor, or -1 with errno set.
int createTemporaryFile(int folder, std::string& name, const TemporaryNameAnnounce& announce);

bool isTemporaryName(std::string_view name);

}  // namespace sorvane
