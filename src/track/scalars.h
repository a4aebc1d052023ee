#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "header_format/text.h"
#include "track/parse_error.h"

// The readers every grammar shares. Each takes the text, the line number for
// its error and the value's name as messages show it.
namespace voromel::track {

using header_format::Tokens;

// Whether the whole text is a number of the format: an optional sign, then a
// decimal with optional exponent, or inf / infinity / nan in any case.
bool is_number(std::string_view text);

LineResult<float> parse_float(std::string_view text, std::size_t line_number,
                              std::string_view name);
LineResult<float> parse_next_float(Tokens& tokens, std::size_t line_number, std::string_view name);
LineResult<bool> parse_bool(std::string_view text, std::size_t line_number, std::string_view name);
LineResult<std::uint32_t> parse_positive(std::string_view text, std::size_t line_number,
                                         std::string_view name);
LineResult<float> parse_ratio(std::string_view text, std::size_t line_number);

// An unsigned decimal: an optional '+' and one or more ASCII digits, at most
// `max`. Nothing else is read.
std::optional<std::uint64_t> parse_unsigned(std::string_view text, std::uint64_t max);

// An unsigned 32-bit count: parse_unsigned up to 4294967295.
std::optional<std::uint32_t> parse_count(std::string_view text);

// Whether a value differs from the default it is written beside by more than
// a float epsilon. NaN compares false with everything, so each name says
// which side NaN falls on; the rules also differ at exactly epsilon.
inline constexpr float float_epsilon = std::numeric_limits<float>::epsilon();

// |x - target| > epsilon. NaN: false, so a NaN is treated as the target.
inline bool number_beyond_epsilon_of(float x, float target) {
  return std::fabs(x - target) > float_epsilon;
}
// |x - target| < epsilon. NaN: false.
inline bool number_within_epsilon_of(float x, float target) {
  return std::fabs(x - target) < float_epsilon;
}
// Not |x - target| <= epsilon. NaN: true, so a NaN differs from the target.
inline bool nan_or_beyond_epsilon_of(float x, float target) {
  return !(std::fabs(x - target) <= float_epsilon);
}
// Not |x - target| < epsilon. NaN: true, so a NaN differs from the target.
inline bool nan_or_epsilon_or_more_from(float x, float target) {
  return !number_within_epsilon_of(x, target);
}

// Where each directive of a line starts: every '@' followed by an ASCII
// letter.
std::vector<std::size_t> directive_starts(std::string_view line);

// The directives of a line: the texts after every '@' that is followed by an
// ASCII letter, up to the next such '@', trimmed, empty ones dropped.
std::vector<std::string_view> split_directives(std::string_view line);

}  // namespace voromel::track
