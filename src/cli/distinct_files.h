#pragma once

#include <string>
#include <vector>

namespace sorvane::cli {

// The files in the order named, without the names that repeat an earlier one: a name repeats
// another when, its symbolic links followed, it is the same entry (by name) of the same folder
// (by device and inode), such as a path given twice, a link to a file named too, or a file
// reached through a linked folder. A second hard link is a name of its own, and stays: the run
// reads a file named twice again once its first name's rewrite is in place. A name that cannot
// be looked up stays, for the run to report.
std::vector<std::string> distinctFiles(const std::vector<std::string>& files);

}  // namespace sorvane::cli
