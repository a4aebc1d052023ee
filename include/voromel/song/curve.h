#pragma once

namespace voromel::song {

// The shape of a transition. Ease (both flags) is the default wherever a
// curve is optional, and is never written back.
struct Curve {
  bool ease_in = true;
  bool ease_out = true;

  static constexpr Curve linear() { return {false, false}; }
  static constexpr Curve ease_in_only() { return {true, false}; }
  static constexpr Curve ease_out_only() { return {false, true}; }
  static constexpr Curve ease() { return {true, true}; }

  friend bool operator==(const Curve&, const Curve&) = default;
};

}  // namespace voromel::song
