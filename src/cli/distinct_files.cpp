#include "cli/distinct_files.h"

#include <set>
#include <sys/stat.h>
#include <utility>

namespace sorvane::cli {

std::vector<std::string> distinctFiles(const std::vector<std::string>& files) {
  std::set<std::pair<dev_t, ino_t>> seen;
  std::vector<std::string> distinct;
  for (const std::string& file : files) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && !seen.insert({st.st_dev, st.st_ino}).second) continue;
    distinct.push_back(file);
  }
  return distinct;
}

}  // namespace sorvane::cli
