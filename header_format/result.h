#pragma once

#include <type_traits>
#include <utility>
#include <variant>

namespace voromel::header_format {

// The value of a step that succeeded: the `T` of `Result<Ok, E>`.
struct Ok {};

// Either a value or an error. Errors are values; nothing is thrown or
// printed below the driver.
template <class T, class E>
class [[nodiscard]] Result {
  static_assert(!std::is_same_v<T, E>, "a result needs distinct value and error types");

 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(E error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }

  E& error() & { return std::get<1>(state_); }
  const E& error() const& { return std::get<1>(state_); }
  E&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, E> state_;
};

}  // namespace voromel::header_format
