#pragma once

#include <cerrno>
#include <string>
#include <sys/stat.h>

namespace sorvane::testing {

// A file's status, not following a last link; all zeros where there is no such file.
inline struct stat statusOf(const std::string& path) {
  struct stat status {};
  ::lstat(path.c_str(), &status);
  return status;
}

// A call of type `Call` that always fails with `Error`: failing<EXDEV, RenameCall>.
template <int Error, typename Call>
struct Fails;
template <int Error, typename R, typename... Arguments>
struct Fails<Error, R (*)(Arguments...)> {
  static R call(Arguments...) {
    errno = Error;
    return R(-1);
  }
};
template <int Error, typename Call>
constexpr Call failing = &Fails<Error, Call>::call;

}  // namespace sorvane::testing
