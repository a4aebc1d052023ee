#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

// White space is Unicode white space (the White_Space property) everywhere in
// the format, not ASCII isspace: every trim and token split goes through here.
// Texts are UTF-8; the driver rejects anything else before parsing.
namespace voromel::header_format {

// The white space among the ASCII characters: tab to carriage return, and
// space.
inline bool is_ascii_white_space(unsigned char byte) {
  return byte == ' ' || (byte >= 0x09 && byte <= 0x0D);
}
// A byte that is a character of its own and shows: '!' to DEL.
inline bool is_visible_ascii(unsigned char byte) {
  return byte >= 0x21 && byte <= 0x7F;
}

// Byte length of the white-space character starting at `at`, or 0.
std::size_t white_space_length_at(std::string_view text, std::size_t at);
// Byte length of the white-space character ending just before `end`, or 0.
std::size_t white_space_length_before(std::string_view text, std::size_t end);

// The byte sequence at `at` under the strict rules of UTF-8 (no overlong
// forms, no surrogates, nothing beyond U+10FFFF): its length, or for an
// ill-formed one the length of its maximal subpart.
struct Utf8Sequence {
  std::size_t length;
  bool well_formed;
};
Utf8Sequence next_utf8_sequence(std::string_view bytes, std::size_t at);
// Whether every sequence of the bytes is well formed.
bool is_valid_utf8(std::string_view bytes);

// Decodes the character at `at` of a UTF-8 text; sets `length` to its byte
// length. An ill-formed sequence decodes as U+FFFD, its length that of the
// sequence's maximal subpart.
char32_t decode_at(std::string_view text, std::size_t at, std::size_t& length);
bool is_white_space(char32_t c);
bool contains_white_space(std::string_view text);

std::string_view trim_start(std::string_view text);
std::string_view trim_end(std::string_view text);
inline std::string_view trim(std::string_view text) {
  // Most lines start and end with a visible ASCII character.
  const auto visible = [](char c) { return is_visible_ascii(static_cast<unsigned char>(c)); };
  if (!text.empty() && visible(text.front()) && visible(text.back())) return text;
  return trim_end(trim_start(text));
}
bool is_blank(std::string_view text);

// Whether the text equals `lower`, an all-lowercase ASCII word, with ASCII
// letters compared in any case.
bool equals_ignoring_ascii_case(std::string_view text, std::string_view lower);

// Splits at the first white-space character: the text before it and the text
// after that one character (not trimmed). Without white space, the whole text
// and nothing.
std::pair<std::string_view, std::optional<std::string_view>> split_at_first_white_space(
    std::string_view text);

// The pieces of a text between runs of white space; never yields empty tokens.
class Tokens {
 public:
  explicit Tokens(std::string_view text) : rest_(text) {}

  std::optional<std::string_view> next();
  std::optional<std::string_view> peek() const;
  bool empty() const { return !peek().has_value(); }
  // What is left after the tokens taken so far, leading white space removed.
  std::string_view rest() const { return trim_start(rest_); }

 private:
  std::string_view rest_;
};

}  // namespace voromel::header_format
