#pragma once

#include <bit>
#include <cstdint>

namespace voromel::song {

// A key whose unsigned order is the IEEE 754 total order of the floats:
// -NaN, -inf, ..., -0, +0, ..., +inf, +NaN.
inline std::uint32_t total_order_key(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

}  // namespace voromel::song
