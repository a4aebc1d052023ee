#include "track/scalars.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <string>
#include <system_error>

#include "track/name_log.h"
#include "track/short_decimal.h"

namespace voromel::track {

namespace {

using header_format::equals_ignoring_ascii_case;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_ascii_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string_view without_sign(std::string_view text) {
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
  return text;
}

bool is_special_word(std::string_view unsigned_text) {
  return equals_ignoring_ascii_case(unsigned_text, "inf") ||
         equals_ignoring_ascii_case(unsigned_text, "infinity") ||
         equals_ignoring_ascii_case(unsigned_text, "nan");
}

std::size_t skip_digits(std::string_view text, std::size_t at) {
  while (at < text.size() && is_digit(text[at])) ++at;
  return at;
}

bool is_decimal(std::string_view text) {
  const std::size_t integer_end = skip_digits(text, 0);
  std::size_t at = integer_end;
  std::size_t digit_count = integer_end;
  if (at < text.size() && text[at] == '.') {
    const std::size_t fraction_end = skip_digits(text, at + 1);
    digit_count += fraction_end - (at + 1);
    at = fraction_end;
  }
  if (digit_count == 0) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const std::size_t exponent_end = skip_digits(text, at);
    if (exponent_end == at) return false;
    at = exponent_end;
  }
  return at == text.size();
}

// Whether a decimal that does not fit a float is too large rather than too
// small: its first significant digit stands at a power of ten of 0 or more.
bool overflows(std::string_view decimal) {
  const std::size_t mantissa_end = std::min(decimal.find_first_of("eE"), decimal.size());
  const std::string_view mantissa = decimal.substr(0, mantissa_end);
  const std::size_t integer_digits = std::min(mantissa.find('.'), mantissa.size());
  long long power = static_cast<long long>(integer_digits) - 1;
  bool found = false;
  for (const char c : mantissa) {
    if (c == '.') continue;
    if (c != '0') {
      found = true;
      break;
    }
    --power;
  }
  if (!found) return false;
  long long exponent = 0;
  bool negative_exponent = false;
  for (const char c : decimal.substr(std::min(mantissa_end + 1, decimal.size()))) {
    if (c == '-') negative_exponent = true;
    if (is_digit(c)) exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000'000);
  }
  return power + (negative_exponent ? -exponent : exponent) >= 0;
}

float read_valid_number(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string_view magnitude = without_sign(text);
  if (is_special_word(magnitude)) {
    // A written NaN cannot carry a sign, so every NaN reads as the positive one.
    if (equals_ignoring_ascii_case(magnitude, "nan"))
      return std::numeric_limits<float>::quiet_NaN();
    return negative ? -std::numeric_limits<float>::infinity()
                    : std::numeric_limits<float>::infinity();
  }
  float value = 0;
  const auto [end, error] = std::from_chars(magnitude.data(), magnitude.data() + magnitude.size(),
                                            value, std::chars_format::general);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    value = overflows(magnitude) ? std::numeric_limits<float>::infinity() : 0.0f;
  }
  return negative ? -value : value;
}

// A plain decimal of at most seven digits ("-12.25", "5.", ".5") is read
// exactly with integer arithmetic; any other text takes the general way.
std::optional<float> read_short_decimal(std::string_view text) {
  const ShortDecimal decimal = read_short_decimal_prefix(text);
  if (decimal.length != text.size() || decimal.digit_count() == 0) return std::nullopt;
  return decimal.value();
}

std::string quoted_number_message(std::string_view name, std::string_view text) {
  return "invalid number for " + std::string(name) + ": " + quoted(text);
}

}  // namespace

bool is_number(std::string_view text) {
  const std::string_view magnitude = without_sign(text);
  return is_special_word(magnitude) || is_decimal(magnitude);
}

LineResult<float> parse_float(std::string_view text, std::size_t line_number,
                              std::string_view name) {
  NameLog::number(text);
  if (const auto value = read_short_decimal(text)) return *value;
  if (!is_number(text)) return ParseError::line(line_number, quoted_number_message(name, text));
  return read_valid_number(text);
}

LineResult<float> parse_next_float(Tokens& tokens, std::size_t line_number, std::string_view name) {
  const auto token = tokens.next();
  if (!token) return ParseError::line(line_number, std::string(name) + " needs a value");
  return parse_float(*token, line_number, name);
}

LineResult<bool> parse_bool(std::string_view text, std::size_t line_number, std::string_view name) {
  if (text == "true" || text == "yes" || text == "on" || text == "1") return true;
  if (text == "false" || text == "no" || text == "off" || text == "0" || text.empty()) {
    return false;
  }
  return ParseError::line(line_number,
                          "invalid bool for " + std::string(name) + ": " + quoted(text));
}

std::optional<std::uint64_t> parse_unsigned(std::string_view text, std::uint64_t max) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (!is_digit(c)) return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::optional<std::uint32_t> parse_count(std::string_view text) {
  const auto value = parse_unsigned(text, std::numeric_limits<std::uint32_t>::max());
  if (!value) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

LineResult<std::uint32_t> parse_positive(std::string_view text, std::size_t line_number,
                                         std::string_view name) {
  const auto count = parse_count(text);
  if (!count || *count == 0) {
    return ParseError::line(
        line_number, "invalid positive integer for " + std::string(name) + ": " + quoted(text));
  }
  return *count;
}

LineResult<float> parse_ratio(std::string_view text, std::size_t line_number) {
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return parse_float(text, line_number, "ratio");
  auto numerator = parse_float(text.substr(0, slash), line_number, "ratio numerator");
  if (!numerator) return std::move(numerator).error();
  auto denominator = parse_float(text.substr(slash + 1), line_number, "ratio denominator");
  if (!denominator) return std::move(denominator).error();
  if (denominator.value() == 0.0f)
    return ParseError::line(line_number, "ratio has zero denominator");
  return numerator.value() / denominator.value();
}

std::vector<std::size_t> directive_starts(std::string_view line) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at + 1 < line.size(); ++at) {
    if (line[at] == '@' && is_ascii_letter(line[at + 1])) starts.push_back(at);
  }
  return starts;
}

std::vector<std::string_view> split_directives(std::string_view line) {
  const std::vector<std::size_t> starts = directive_starts(line);
  std::vector<std::string_view> directives;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : line.size();
    const std::string_view text =
        header_format::trim(line.substr(starts[i] + 1, end - starts[i] - 1));
    if (!text.empty()) directives.push_back(text);
  }
  return directives;
}

}  // namespace voromel::track
