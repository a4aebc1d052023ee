#include "lsp/json_strings.h"

#include <charconv>
#include <cstring>

namespace voromel::lsp {

namespace {

// Shorter strings are left to the JSON library.
constexpr std::size_t long_string = 4096;

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::optional<char32_t> hex4(std::string_view text) {
  if (text.size() < 4) return std::nullopt;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + 4, value, 16);
  if (error != std::errc() || end != text.data() + 4) return std::nullopt;
  return static_cast<char32_t>(value);
}

// The escape at the start of `text` (after its backslash), appended to
// `out`; how many characters it took, or 0 when it is not valid JSON.
std::size_t decode_escape(std::string_view text, std::string& out) {
  if (text.empty()) return 0;
  switch (text.front()) {
    case '"':
      out += '"';
      return 1;
    case '\\':
      out += '\\';
      return 1;
    case '/':
      out += '/';
      return 1;
    case 'b':
      out += '\b';
      return 1;
    case 'f':
      out += '\f';
      return 1;
    case 'n':
      out += '\n';
      return 1;
    case 'r':
      out += '\r';
      return 1;
    case 't':
      out += '\t';
      return 1;
    case 'u':
      break;
    default:
      return 0;
  }
  const auto unit = hex4(text.substr(1));
  if (!unit) return 0;
  if (*unit >= 0xDC00 && *unit <= 0xDFFF) return 0;
  if (*unit < 0xD800 || *unit > 0xDBFF) {
    append_utf8(out, *unit);
    return 5;
  }
  // A high surrogate needs its low one.
  if (text.size() < 7 || text[5] != '\\' || text[6] != 'u') return 0;
  const auto low = hex4(text.substr(7));
  if (!low || *low < 0xDC00 || *low > 0xDFFF) return 0;
  append_utf8(out, 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00));
  return 11;
}

// The string whose opening quote is at `open`: its decoded value and the
// position after its closing quote, or nothing when it is not valid JSON.
std::optional<std::size_t> decode_string(std::string_view body, std::size_t open,
                                         std::string& out) {
  std::size_t at = open + 1;
  while (at < body.size()) {
    std::size_t run = at;
    while (run < body.size() && body[run] != '"' && body[run] != '\\' &&
           static_cast<unsigned char>(body[run]) >= 0x20) {
      ++run;
    }
    out.append(body.data() + at, run - at);
    if (run == body.size() || static_cast<unsigned char>(body[run]) < 0x20) return std::nullopt;
    if (body[run] == '"') return run + 1;
    const std::size_t taken = decode_escape(body.substr(run + 1), out);
    if (taken == 0) return std::nullopt;
    at = run + 1 + taken;
  }
  return std::nullopt;
}

// The end of the string whose opening quote is at `open` (after its closing
// quote), without decoding it.
std::size_t string_end(std::string_view body, std::size_t open) {
  std::size_t at = open + 1;
  while (at < body.size()) {
    if (body[at] == '\\') {
      at += 2;
    } else if (body[at] == '"') {
      return at + 1;
    } else {
      ++at;
    }
  }
  return body.size();
}

}  // namespace

std::optional<SplitBody> split_long_strings(std::string_view body) {
  SplitBody split;
  std::size_t copied = 0;
  // Outside strings, a quote always opens one.
  for (std::size_t at = body.find('"'); at != std::string_view::npos;) {
    const std::size_t end = string_end(body, at);
    if (end - at - 2 >= long_string) {
      std::string value;
      value.reserve(end - at);
      const auto decoded_end = decode_string(body, at, value);
      if (!decoded_end || *decoded_end != end) return std::nullopt;
      // A placeholder no other string of the message can equal: checked
      // after parsing.
      std::string placeholder = "\x01voromel-long-string-" + std::to_string(split.strings.size());
      split.skeleton.append(body.data() + copied, at - copied);
      split.skeleton +=
          "\"\\u0001voromel-long-string-" + std::to_string(split.strings.size()) + "\"";
      copied = end;
      split.strings.push_back(std::move(value));
      split.placeholders.push_back(std::move(placeholder));
    }
    at = end < body.size() ? body.find('"', end) : std::string_view::npos;
  }
  if (split.strings.empty()) return std::nullopt;
  split.skeleton.append(body.data() + copied, body.size() - copied);
  return split;
}

}  // namespace voromel::lsp
