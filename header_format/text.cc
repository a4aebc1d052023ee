#include "header_format/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace voromel::header_format {

namespace {

constexpr char32_t replacement_character = 0xFFFD;

bool is_continuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

// The well-formed byte sequences of UTF-8: after the lead byte, the second
// byte's range depends on the lead (no overlong forms, no surrogates, nothing
// beyond U+10FFFF), and every later byte is 80..BF.
Utf8Sequence next_utf8_sequence(std::string_view bytes, std::size_t at) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  if (lead < 0x80) return {1, true};
  std::size_t continuations = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {1, false};
  }
  for (std::size_t length = 1; length <= continuations; ++length) {
    if (at + length >= bytes.size()) return {length, false};
    const auto byte = static_cast<unsigned char>(bytes[at + length]);
    if (byte < low || byte > high) return {length, false};
    low = 0x80;
    high = 0xBF;
  }
  return {continuations + 1, true};
}

bool is_valid_utf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    // Sixteen ASCII bytes at a time: no byte has its high bit set.
    std::uint64_t halves[2] = {};
    if (at + sizeof halves <= bytes.size()) {
      std::memcpy(halves, bytes.data() + at, sizeof halves);
      if (((halves[0] | halves[1]) & 0x8080808080808080u) == 0) {
        at += sizeof halves;
        continue;
      }
    }
    if (static_cast<unsigned char>(bytes[at]) < 0x80) {
      ++at;
      continue;
    }
    const Utf8Sequence sequence = next_utf8_sequence(bytes, at);
    if (!sequence.well_formed) return false;
    at += sequence.length;
  }
  return true;
}

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

char32_t decode_at(std::string_view text, std::size_t at, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[at]);
  length = 1;
  if (lead < 0x80) return lead;
  const Utf8Sequence sequence = next_utf8_sequence(text, at);
  length = sequence.length;
  if (!sequence.well_formed) return replacement_character;
  // The lead byte keeps 5, 4 or 3 bits of the value; each later byte 6.
  char32_t c = lead & (0x7F >> sequence.length);
  for (std::size_t i = 1; i < sequence.length; ++i) {
    c = (c << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  }
  return c;
}

std::size_t white_space_length_at(std::string_view text, std::size_t at) {
  if (at >= text.size()) return 0;
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x80) return is_ascii_white_space(byte) ? 1 : 0;
  std::size_t length = 0;
  const char32_t c = decode_at(text, at, length);
  return is_white_space(c) ? length : 0;
}

std::size_t white_space_length_before(std::string_view text, std::size_t end) {
  // Step back over continuation bytes to the start of the last character;
  // white-space characters are at most three bytes long in UTF-8.
  std::size_t start = end;
  do {
    if (start == 0 || end - start == 3) return 0;
    --start;
  } while (is_continuation(static_cast<unsigned char>(text[start])));
  const std::size_t length = white_space_length_at(text.substr(0, end), start);
  return length == end - start ? length : 0;
}

bool contains_white_space(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = 0;
    if (is_white_space(decode_at(text, at, length))) return true;
    at += length;
  }
  return false;
}

std::string_view trim_start(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    // An ASCII byte is a character of its own; only others need decoding.
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t length =
        byte < 0x80 ? (is_ascii_white_space(byte) ? 1 : 0) : white_space_length_at(text, at);
    if (length == 0) break;
    at += length;
  }
  return text.substr(at);
}

std::string_view trim_end(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    // An ASCII byte is a character of its own; only others need decoding.
    const auto byte = static_cast<unsigned char>(text[end - 1]);
    const std::size_t length =
        byte < 0x80 ? (is_ascii_white_space(byte) ? 1 : 0) : white_space_length_before(text, end);
    if (length == 0) break;
    end -= length;
  }
  return text.substr(0, end);
}

bool is_blank(std::string_view text) {
  return trim_start(text).empty();
}

std::pair<std::string_view, std::optional<std::string_view>> split_at_first_white_space(
    std::string_view text) {
  // Visible ASCII, most of any text, is never white space.
  std::size_t visible = 0;
  while (visible < text.size() && is_visible_ascii(static_cast<unsigned char>(text[visible]))) {
    ++visible;
  }
  for (std::size_t at = visible; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      if (is_ascii_white_space(byte)) return {text.substr(0, at), text.substr(at + 1)};
      ++at;
      continue;
    }
    std::size_t length = 0;
    if (is_white_space(decode_at(text, at, length))) {
      return {text.substr(0, at), text.substr(at + length)};
    }
    at += length;
  }
  return {text, std::nullopt};
}

bool equals_ignoring_ascii_case(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

std::optional<std::string_view> Tokens::next() {
  // A token of visible ASCII between ASCII white space, the common case,
  // needs no decoding.
  const auto byte = [this](std::size_t at) { return static_cast<unsigned char>(rest_[at]); };
  std::size_t start = 0;
  while (start < rest_.size() && is_ascii_white_space(byte(start))) ++start;
  std::size_t end = start;
  while (end < rest_.size() && is_visible_ascii(byte(end))) ++end;
  if (end > start && (end == rest_.size() || is_ascii_white_space(byte(end)))) {
    const std::string_view token = rest_.substr(start, end - start);
    rest_.remove_prefix(std::min(end + 1, rest_.size()));
    return token;
  }
  rest_ = trim_start(rest_.substr(start));
  if (rest_.empty()) return std::nullopt;
  const auto [token, after] = split_at_first_white_space(rest_);
  rest_ = after.value_or(std::string_view{});
  return token;
}

std::optional<std::string_view> Tokens::peek() const {
  Tokens copy = *this;
  return copy.next();
}

}  // namespace voromel::header_format
