#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sorvane::testing {

// A fresh folder under the system's temporary folder, removed with everything in it, however
// deep and whatever its permissions.
class TempFolder {
 public:
  TempFolder();
  explicit TempFolder(const std::string& base);  // inside `base` instead of $TMPDIR or /tmp
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A temporary folder that stands in for the user's state folder (XDG_STATE_HOME) while it
// lives, so no test keeps runs in the real one.
class TemporaryStateHome : public TempFolder {
 public:
  TemporaryStateHome();
  ~TemporaryStateHome();

 private:
  std::optional<std::string> previous_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
// The names in a folder, sorted.
std::vector<std::string> namesIn(const std::string& folder);
// The path of the folder or file open as `fd`, or the empty text when it is too long to tell.
std::string pathOf(int fd);

}  // namespace sorvane::testing
