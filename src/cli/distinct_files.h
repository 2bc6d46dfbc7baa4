#pragma once

#include <string>
#include <vector>

namespace sorvane::cli {

// The files in the order named, each file once, by device and inode, at its first name: a
// rewrite gives a file a new inode, so a file named twice (or through a link) must be found
// before the first rewrite. A name that cannot be looked up stays, for the run to report.
std::vector<std::string> distinctFiles(const std::vector<std::string>& files);

}  // namespace sorvane::cli
