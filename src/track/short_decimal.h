#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Decimals of at most seven digits, which a 32-bit float reads exactly with
// integer arithmetic and one division.
namespace voromel::track {

// Powers of ten that floats hold exactly: 5^10 still fits in 24 bits. A
// whole number below 2^24 divided by one of them is rounded once, to the
// float nearest the decimal.
inline constexpr std::array<float, 11> exact_powers_of_ten = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                                              1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The plain decimal that a text starts with, "[+-]ddd[.ddd]", read up to its
// seventh digit. Seven digits stay below 2^24, so the digits and the power
// of ten are exact floats and one division rounds to the nearest float, ties
// to even, as from_chars does.
struct ShortDecimal {
  // '-', '+' or none.
  char sign = 0;
  // The digits read, as one integer: leading zeros drop out of it.
  std::uint32_t digits = 0;
  int integer_digits = 0;
  int places = 0;
  bool point = false;
  // The bytes read.
  std::size_t length = 0;

  int digit_count() const { return integer_digits + places; }

  float value() const {
    const float magnitude = static_cast<float>(digits) / exact_powers_of_ten[places];
    return sign == '-' ? -magnitude : magnitude;
  }
};

inline ShortDecimal read_short_decimal_prefix(std::string_view text) {
  constexpr int most_digits = 7;
  ShortDecimal decimal;
  std::size_t at = 0;
  const auto is_digit = [&text](std::size_t i) {
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
  };
  std::uint32_t digits = 0;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) decimal.sign = text[at++];
  const std::size_t integer_start = at;
  for (; is_digit(at) && at - integer_start < most_digits; ++at) {
    digits = digits * 10 + static_cast<std::uint32_t>(text[at] - '0');
  }
  decimal.integer_digits = static_cast<int>(at - integer_start);
  if (at < text.size() && text[at] == '.') {
    decimal.point = true;
    const std::size_t fraction_start = ++at;
    const auto room = static_cast<std::size_t>(most_digits - decimal.integer_digits);
    for (; is_digit(at) && at - fraction_start < room; ++at) {
      digits = digits * 10 + static_cast<std::uint32_t>(text[at] - '0');
    }
    decimal.places = static_cast<int>(at - fraction_start);
  }
  decimal.digits = digits;
  decimal.length = at;
  return decimal;
}

// The number that `text` starts with, which ends where a digit or a point
// can no longer follow, when it is written as the canonical text has it: a
// whole number of up to seven digits, or a decimal of at most six
// significant digits, which reads as the one float whose shortest text it
// is, either without a superfluous zero, point or sign. `length` is set to
// its length.
inline std::optional<float> read_plain_canonical_number(std::string_view text,
                                                        std::size_t& length) {
  const ShortDecimal decimal = read_short_decimal_prefix(text);
  if (decimal.sign == '+' || decimal.integer_digits == 0) return std::nullopt;
  const bool zero_whole = text[decimal.sign ? 1 : 0] == '0';
  if (zero_whole && decimal.integer_digits > 1) return std::nullopt;
  if (decimal.point) {
    if (decimal.places == 0 || text[decimal.length - 1] == '0') return std::nullopt;
    // Leading zeros drop out of `digits`: its length is the significant digits.
    if (decimal.digits >= 1'000'000) return std::nullopt;
  } else if (decimal.sign == '-' && zero_whole) {
    // "-0" reads as negative zero, written "0".
    return std::nullopt;
  }
  length = decimal.length;
  return decimal.value();
}

}  // namespace voromel::track
