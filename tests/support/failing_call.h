#pragma once

#include <cerrno>

namespace sorvane::testing {

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
