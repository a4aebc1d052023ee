#pragma once

#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <utility>
#include <variant>

namespace voromel {

// The value of a step that succeeded: the `T` of `Result<Ok, E>`.
struct Ok {};

// Either a value or an error. Errors are values; nothing is thrown or
// printed below the driver. Reading the value of a result that holds an
// error, or the error of one that holds a value, is a fault of the caller:
// check `has_value()` first. Such a read stops the program with a message
// saying so, in every build type.
template <class T, class E>
class [[nodiscard]] Result {
  static_assert(!std::is_same_v<T, E>, "a result needs distinct value and error types");

 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(E error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  T& value() & { return *value_pointer(); }
  const T& value() const& { return *value_pointer(); }
  T&& value() && { return std::move(*value_pointer()); }

  E& error() & { return *error_pointer(); }
  const E& error() const& { return *error_pointer(); }
  E&& error() && { return std::move(*error_pointer()); }

 private:
  // Nothing is thrown: a read of the wrong side stops the program.
  T* value_pointer() const {
    if (!has_value()) stop("voromel: the value of a Result that holds an error was read");
    return const_cast<T*>(std::get_if<0>(&state_));
  }
  E* error_pointer() const {
    if (has_value()) stop("voromel: the error of a Result that holds a value was read");
    return const_cast<E*>(std::get_if<1>(&state_));
  }

  [[noreturn]] static void stop(const char* message) {
    std::fputs(message, stderr);
    std::fputs(" (check has_value() first)\n", stderr);
    std::abort();
  }

  std::variant<T, E> state_;
};

}  // namespace voromel
