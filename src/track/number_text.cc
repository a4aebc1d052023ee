#include "track/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

#include "track/short_decimal.h"

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

// "-0.025" from (true, 25, 3): `digits` shown with `places` fraction digits.
void append_decimal(std::string& out, bool negative, std::uint64_t digits, int places) {
  char buffer[32];
  char* const end = buffer + sizeof buffer;
  char* at = end;
  for (int i = 0; i < places; ++i, digits /= 10) *--at = static_cast<char>('0' + digits % 10);
  *--at = '.';
  do {
    *--at = static_cast<char>('0' + digits % 10);
    digits /= 10;
  } while (digits != 0);
  if (negative) *--at = '-';
  out.append(at, end);
}

// Writes a value that a decimal of at most six significant digits and six
// fraction digits reads back as. Two decimals of at most six significant
// digits never read as the same float, so that decimal is the shortest text
// of the value and the one to_chars prints; integer arithmetic finds it much
// faster. Answers false, writing nothing, for any other value.
bool append_short_decimal(std::string& out, float value) {
  const float magnitude = std::fabs(value);
  if (!(magnitude >= 1e-6f && magnitude < 1e6f)) return false;
  // magnitude = mantissa * 2^exponent exactly, a normal float.
  const auto bits = std::bit_cast<std::uint32_t>(magnitude);
  const std::uint64_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
  const int exponent = static_cast<int>(bits >> 23) - 150;
  constexpr std::uint64_t six_digits = 1'000'000;
  // A sum of halves, quarters and so on down to 2^-6, the commonest kind,
  // is its exact decimal expansion: mantissa * 5^places / 10^places.
  const int low_zeros = std::countr_zero(mantissa);
  const int dyadic_places = -(exponent + low_zeros);
  if (dyadic_places > 0 && dyadic_places <= 6) {
    std::uint64_t digits = mantissa >> low_zeros;
    for (int i = 0; i < dyadic_places; ++i) digits *= 5;
    if (digits >= six_digits) return false;
    append_decimal(out, value < 0, digits, dyadic_places);
    return true;
  }
  std::uint64_t five_to_places = 1;
  for (int places = 1; places <= 6; ++places) {
    five_to_places *= 5;
    // magnitude * 10^places = mantissa * 5^places * 2^(exponent + places),
    // rounded to an integer.
    const std::uint64_t scaled = mantissa * five_to_places;
    const int shift = -(exponent + places);
    std::uint64_t digits = 0;
    if (shift <= 0) {
      digits = scaled << -shift;
    } else if (shift < 64) {
      digits = (scaled + (std::uint64_t{1} << (shift - 1))) >> shift;
    }
    if (digits >= six_digits) return false;
    if (digits == 0) continue;
    // Both operands are exact, so the quotient is the float the text reads as.
    if (static_cast<float>(digits) / exact_powers_of_ten[places] != magnitude) continue;
    append_decimal(out, value < 0, digits, places);
    return true;
  }
  return false;
}

// A whole value below 2^24 (every beat, pitch and count in practice) is
// written as its integer, under either rule: its neighbours are at most 1
// away, so no shorter digits read back as it. Integers print faster than
// floats.
bool append_whole_number(std::string& out, float value) {
  constexpr float exact_integers = 16777216.0f;
  if (!(std::fabs(value) < exact_integers)) return false;
  const auto whole = static_cast<std::int32_t>(value);
  if (static_cast<float>(whole) != value) return false;
  char buffer[16];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, whole).ptr);
  return true;
}

}  // namespace

void append_number(std::string& out, float value) {
  if (append_special(out, value)) return;
  if (value == 0.0f) {
    out += '0';
    return;
  }
  if (append_whole_number(out, value) || append_short_decimal(out, value)) return;
  char buffer[buffer_size];
  const auto result = std::to_chars(buffer, buffer + buffer_size, value, std::chars_format::fixed);
  out.append(buffer, result.ptr);
}

std::optional<float> plain_canonical_number(std::string_view text) {
  std::size_t length = 0;
  const auto value = read_plain_canonical_number(text, length);
  return length == text.size() ? value : std::nullopt;
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
  if (append_whole_number(out, value)) return;
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

namespace {

// Room for any float at up to 60 fraction digits.
constexpr std::size_t decimal_buffer_size = 128;

// `value` rounded to `places` fraction digits, as text.
std::string rounded_text(float value, int places) {
  char buffer[decimal_buffer_size];
  const auto result =
      std::to_chars(buffer, buffer + decimal_buffer_size, value, std::chars_format::fixed, places);
  return std::string(buffer, result.ptr);
}

float read_decimal(const std::string& text) {
  float value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// One unit more (or less) in the last digit of a positive decimal text.
std::string next_decimal(std::string text, int step) {
  for (std::size_t i = text.size(); i-- > 0;) {
    if (text[i] == '.') continue;
    const char limit = step > 0 ? '9' : '0';
    if (text[i] != limit) {
      text[i] = static_cast<char>(text[i] + step);
      break;
    }
    text[i] = step > 0 ? '0' : '9';
    if (i == 0 && step > 0) text.insert(text.begin(), '1');
  }
  if (text.size() > 1 && text[0] == '0' && text[1] != '.') text.erase(0, 1);
  return text;
}

int fraction_digits(const std::string& text) {
  const std::size_t point = text.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// The lowest float in [low, high] that a decimal of `places` fraction
// digits reads as, if any.
std::optional<float> lowest_at_places(float low, float high, int places) {
  std::string text = rounded_text(low, places);
  float value = read_decimal(text);
  if (value < low) value = read_decimal(next_decimal(text, 1));
  if (value > high) return std::nullopt;
  return value;
}

// The highest such float.
std::optional<float> highest_at_places(float low, float high, int places) {
  std::string text = rounded_text(high, places);
  float value = read_decimal(text);
  if (value > high) value = read_decimal(next_decimal(text, -1));
  if (value < low) return std::nullopt;
  return value;
}

// For 0 < low <= high. The shortest texts are all decimals with the fewest
// fraction digits that reach the range, and among those the ones with the
// fewest integer digits: a run starting at the lowest one.
// The decimals with the fewest places that lie in [low, high] are found by
// scaling both ends by 10^places, exactly, as long as the scaled values fit
// in 64 bits: a float is a 24-bit integer times a power of two.
constexpr int most_scaled_places = 11;

struct Scaled {
  std::uint64_t whole;  // rounded down
  bool exact;
};

std::optional<Scaled> scaled_by_ten_to(float value, int places) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const int biased = static_cast<int>(bits >> 23);
  const std::uint64_t significand = (bits & 0x7fffffu) | (biased ? 0x800000u : 0u);
  const int exponent = (biased ? biased : 1) - 150;
  std::uint64_t product = significand;
  for (int i = 0; i < places; ++i) product *= 10;
  if (exponent >= 0) {
    if (exponent > 60 || product > (std::uint64_t{1} << (63 - exponent))) return std::nullopt;
    return Scaled{product << exponent, true};
  }
  if (exponent <= -64) return Scaled{0, product == 0};
  const int shift = -exponent;
  return Scaled{product >> shift, (product & ((std::uint64_t{1} << shift) - 1)) == 0};
}

// The largest whole / 10^places whose text is as long as that of `first`:
// "0.05" is as long as "9.99".
std::uint64_t last_as_long_as(std::uint64_t first, int places) {
  std::uint64_t largest = 9;
  for (int i = 0; i < places; ++i) largest = largest * 10 + 9;
  while (largest < first) largest = largest * 10 + 9;
  return largest;
}

// The float of whole / 10^places, and the length of that decimal's text.
NumberChoice decimal_choice(std::uint64_t whole, int places, float preferred) {
  std::string text = std::to_string(whole);
  const auto point = static_cast<std::size_t>(places);
  if (places > 0) {
    if (text.size() <= point) text.insert(0, point + 1 - text.size(), '0');
    text.insert(text.size() - point, ".");
  }
  const float value = read_decimal(text);
  return {text.size(), std::fabs(value - preferred), value};
}

NumberChoice float_choice(float value, float preferred) {
  return {number_text(value).size(), std::fabs(value - preferred), value};
}

// Either end may read from a shorter decimal just outside the range.
std::optional<float> shortest_positive_scaled(float low, float high, float preferred) {
  for (int places = 0; places <= most_scaled_places; ++places) {
    const auto scaled_low = scaled_by_ten_to(low, places);
    const auto scaled_high = scaled_by_ten_to(high, places);
    if (!scaled_low || !scaled_high) return std::nullopt;
    const std::uint64_t first = scaled_low->whole + (scaled_low->exact ? 0 : 1);
    if (first > scaled_high->whole) continue;
    // The shortest decimals run from the first to the last with as many digits.
    const std::uint64_t last = std::min(scaled_high->whole, last_as_long_as(first, places));
    const std::uint64_t near = scaled_by_ten_to(std::clamp(preferred, low, high), places)->whole;
    NumberChoice best = float_choice(low, preferred);
    for (const NumberChoice& choice :
         {float_choice(high, preferred),
          decimal_choice(std::clamp(near, first, last), places, preferred),
          decimal_choice(std::clamp(near + 1, first, last), places, preferred)}) {
      best = std::min(best, choice);
    }
    return best.value;
  }
  return std::nullopt;
}

float shortest_positive(float low, float high, float preferred) {
  if (const auto scaled = shortest_positive_scaled(low, high, preferred)) return *scaled;
  const float inside = std::clamp(preferred, low, high);
  int places = fraction_digits(number_text(inside));
  while (places > 0 && lowest_at_places(low, high, places - 1)) --places;
  const float lowest = *lowest_at_places(low, high, places);
  const std::string lowest_text = rounded_text(lowest, places);
  // The highest decimal with as many integer digits as the lowest one.
  std::string same_length(lowest_text.size(), '9');
  if (places > 0) same_length[lowest_text.size() - 1 - static_cast<std::size_t>(places)] = '.';
  std::optional<NumberChoice> best;
  const auto consider = [&](float candidate) {
    if (!(candidate >= low && candidate <= high)) return;
    const NumberChoice choice{number_text(candidate).size(), std::fabs(candidate - preferred),
                              candidate};
    if (!best || choice < *best) best = choice;
  };
  consider(low);
  consider(high);
  consider(lowest);
  consider(
      std::min(read_decimal(same_length), highest_at_places(low, high, places).value_or(lowest)));
  // The decimal nearest the value wanted and its neighbours: as floats, either
  // neighbour may come out nearer.
  const std::string near = rounded_text(inside, places);
  consider(read_decimal(near));
  consider(read_decimal(next_decimal(near, 1)));
  if (near.find_first_not_of("0.") != std::string::npos)
    consider(read_decimal(next_decimal(near, -1)));
  return best->value;
}

}  // namespace

float shortest_number_between(float low, float high, float preferred) {
  if (std::isnan(preferred)) preferred = low;
  if (high < 0) return -shortest_positive(-high, -low, -preferred);
  if (low > 0) return shortest_positive(low, high, preferred);
  // Zero is in the range: the one-character texts are "0" to "9".
  float nearest = std::floor(preferred);
  if (preferred - nearest > 0.5f) nearest += 1;
  return std::clamp(nearest, 0.0f, std::min(std::floor(high), 9.0f));
}

}  // namespace voromel::track
