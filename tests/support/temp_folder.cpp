#include "temp_folder.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::testing {
namespace {

// Relative to its parent, so that trees deeper than a path may be long go too.
void removeTree(int parent, const std::string& name) {
  if (::unlinkat(parent, name.c_str(), 0) == 0) return;
  ::fchmodat(parent, name.c_str(), 0700, 0);
  const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr) {
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir))
      if (const std::string child = entry->d_name; child != "." && child != "..") names.push_back(child);
    for (const std::string& entryName : names) removeTree(::dirfd(dir), entryName);
    ::closedir(dir);
  }
  ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
}

}  // namespace

TempFolder::TempFolder() : TempFolder(std::getenv("TMPDIR") && *std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") {}

TempFolder::TempFolder(const std::string& base) {
  std::string pattern = base + "/sorvane-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed in " + base);
  path_ = pattern;
}

TempFolder::~TempFolder() { removeTree(AT_FDCWD, path_); }

TemporaryStateHome::TemporaryStateHome() {
  if (const char* previous = std::getenv("XDG_STATE_HOME")) previous_ = previous;
  ::setenv("XDG_STATE_HOME", path().c_str(), 1);
}

TemporaryStateHome::~TemporaryStateHome() {
  previous_ ? ::setenv("XDG_STATE_HOME", previous_->c_str(), 1) : ::unsetenv("XDG_STATE_HOME");
}

std::string readFile(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string pathOf(int fd) {
  std::error_code tooLong;
  return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), tooLong);
}

}  // namespace sorvane::testing
