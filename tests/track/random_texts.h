#pragma once

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>

// Random pieces of body text for round-trip tests: number texts in every
// spelling the readers accept, with the corners of 32-bit floats.
namespace voromel::track::testing {

class RandomTexts {
 public:
  explicit RandomTexts(std::uint32_t seed) : engine_(seed) {}

  std::size_t below(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(engine_);
  }
  bool chance(int percent) { return below(100) < static_cast<std::size_t>(percent); }

  template <class T>
  const T& pick(std::span<const T> items) {
    return items[below(items.size())];
  }

  // A text that reads as a number: signed zeros, NaN and infinities in any
  // case, values beyond the float range, subnormals and values that round
  // to zero, whole values past 2^24, and random floats laid out in
  // scientific, fixed and shortest notation.
  std::string number() {
    static constexpr std::string_view corners[] = {
        "0",          "-0",     "+0",           "0.0",
        "-0.0",       "nan",    "NaN",          "-nan",
        "+NAN",       "inf",    "-inf",         "+Infinity",
        "-INFINITY",  "1e38",   "3.4028235e38", "3.4028236e38",
        "-1e39",      "1e-45",  "1.4e-45",      "7e-46",
        "1e-46",      "-1e-50", "1e-38",        "16777217",
        "4294967296", "1e20",   "-1e20",        "0.1",
        "-2.5",       "1",      "1.0000001",    "0.99999994",
        "120",        ".5",     "5.",           "+2.",
        "1E3",        "-.5e-1", "0.0000001",    "123456789012345678901234567890"};
    switch (below(3)) {
      case 0:
        return std::string(pick(std::span<const std::string_view>(corners)));
      case 1:
        return random_float_text();
      default:
        return std::to_string(static_cast<int>(below(201)) - 100) +
               (chance(50) ? "." + std::to_string(below(1000)) : "");
    }
  }

  // A number text that reads as a value above 0.
  std::string positive() {
    static constexpr std::string_view texts[] = {"1e-45", "0.5", "8", "1e20", "inf", "3.25"};
    return std::string(pick(std::span<const std::string_view>(texts)));
  }

 private:
  std::string random_float_text() {
    float value = std::bit_cast<float>(static_cast<std::uint32_t>(engine_()));
    if (std::isnan(value)) value = 0.75f;
    char buffer[64];
    const std::chars_format formats[] = {std::chars_format::scientific, std::chars_format::fixed,
                                         std::chars_format::general};
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, formats[below(3)]);
    return std::string(buffer, result.ptr);
  }

  std::mt19937 engine_;
};

}  // namespace voromel::track::testing
