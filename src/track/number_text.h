#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// How the writers print a 32-bit float.
namespace voromel::track {

// The canonical number text: a finite whole value as its exact integer
// ("11000000512", negative zero as "0"); any other value as the shortest
// decimal that reads back to the same float, without exponent ("0.0000001");
// "inf", "-inf", "NaN".
void append_number(std::string& out, float value);
std::string number_text(float value);

// The value `text` reads as, when `text` is its canonical text, judged from
// the text alone for plain decimals of at most six significant digits
// ("-12.5", "440", "1234567"); nothing for any other text ("12.50", "012",
// "-0", "1e3", "0.1234567"), canonical or not.
std::optional<float> plain_canonical_number(std::string_view text);

// The plain number form (the second rule alone): the shortest digits laid
// out without exponent and padded with zeros ("11000000000" for 1.1e10,
// "100000000000000000000" for 1e20), negative zero as "-0".
void append_plain_number(std::string& out, float value);
std::string plain_number_text(float value);

// How a candidate for a written number ranks: shorter text first, then
// nearer the value wanted, then lower.
struct NumberChoice {
  std::size_t length;
  float distance;
  float value;

  bool operator<(const NumberChoice& other) const {
    if (length != other.length) return length < other.length;
    if (distance != other.distance) return distance < other.distance;
    return value < other.value;
  }
};

// Of the floats from `low` to `high`, the one whose canonical number text is
// shortest; on a tie, the one nearest `preferred`, then the one nearer 0.
float shortest_number_between(float low, float high, float preferred);

}  // namespace voromel::track
