#pragma once

#include "engine/files/failure.h"

#include <cassert>
#include <utility>
#include <variant>

namespace sorvane {

// The host asked the run to stop: the file is left as it was.
struct Stopped {};

// What a step on one file gives: its value, the failure to show the user, or a stop. Whoever
// holds one asks which before reading it, so no step reports through out-parameters.
template <typename T = std::monostate>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}
  Result(Stopped) : state_(std::in_place_index<2>) {}

  // The failure or stop of another step, which did not succeed.
  template <typename U>
  static Result endedAs(const Result<U>& other) {
    assert(!other.ok());
    if (other.stopped()) return Stopped{};
    return *other.failure();
  }

  bool ok() const { return state_.index() == 0; }
  bool stopped() const { return state_.index() == 2; }
  // The failure, or nothing when the step succeeded or was stopped.
  const Failure* failure() const { return std::get_if<1>(&state_); }
  // The value of a step that succeeded.
  T& value() { return std::get<0>(state_); }
  const T& value() const { return std::get<0>(state_); }

 private:
  std::variant<T, Failure, Stopped> state_;
};

// A step that gives no value.
using Status = Result<>;

inline Status succeeded() { return Status(std::monostate{}); }

}  // namespace sorvane
