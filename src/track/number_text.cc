#include "track/number_text.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace voromel::track {

namespace {

// Enough for every float in fixed notation: 39 integer digits, or 45
// fraction digits after "0.", plus a sign.
constexpr std::size_t buffer_size = 64;

bool append_special(std::string& out, float value) {
  if (std::isnan(value)) {
    out += "NaN";
    return true;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return true;
  }
  return false;
}

// Lays the shortest digits out without exponent: "d.ddde±x" becomes a
// positional decimal, padded with zeros where the exponent reaches past them.
void lay_out_positional(std::string& out, std::string_view scientific) {
  if (scientific.front() == '-') {
    out += '-';
    scientific.remove_prefix(1);
  }
  const std::size_t e = scientific.find('e');
  std::string digits;
  for (const char c : scientific.substr(0, e)) {
    if (c != '.') digits += c;
  }
  int exponent = 0;
  std::from_chars(scientific.data() + e + 1 + (scientific[e + 1] == '+'),
                  scientific.data() + scientific.size(), exponent);
  const int integer_digits = exponent + 1;
  if (integer_digits <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-integer_digits), '0');
    out += digits;
  } else if (static_cast<std::size_t>(integer_digits) >= digits.size()) {
    out += digits;
    out.append(static_cast<std::size_t>(integer_digits) - digits.size(), '0');
  } else {
    out.append(digits, 0, static_cast<std::size_t>(integer_digits));
    out += '.';
    out.append(digits, static_cast<std::size_t>(integer_digits));
  }
}

}  // namespace

void append_number(std::string& out, float value) {
  if (append_special(out, value)) return;
  if (value == 0.0f) {
    out += '0';
    return;
  }
  char buffer[buffer_size];
  const auto result = std::to_chars(buffer, buffer + buffer_size, value, std::chars_format::fixed);
  out.append(buffer, result.ptr);
}

std::string number_text(float value) {
  std::string out;
  append_number(out, value);
  return out;
}

void append_plain_number(std::string& out, float value) {
  if (append_special(out, value)) return;
  if (value == 0.0f) {
    out += std::signbit(value) ? "-0" : "0";
    return;
  }
  char buffer[buffer_size];
  const auto result =
      std::to_chars(buffer, buffer + buffer_size, value, std::chars_format::scientific);
  lay_out_positional(out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

std::string plain_number_text(float value) {
  std::string out;
  append_plain_number(out, value);
  return out;
}

}  // namespace voromel::track
