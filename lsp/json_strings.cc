#include "lsp/json_strings.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "header_format/text.h"

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

// The end of the string whose opening quote is at `open` (after its closing
// quote): the first quote behind an even run of backslashes.
std::size_t string_end(std::string_view body, std::size_t open) {
  std::size_t at = open + 1;
  while (true) {
    const void* found = std::memchr(body.data() + at, '"', body.size() - at);
    if (!found) return body.size();
    const auto quote = static_cast<std::size_t>(static_cast<const char*>(found) - body.data());
    std::size_t backslashes = 0;
    while (quote - backslashes > open + 1 && body[quote - backslashes - 1] == '\\') {
      ++backslashes;
    }
    if (backslashes % 2 == 0) return quote + 1;
    at = quote + 1;
  }
}

// JSON strings hold no raw control characters. One pass without an early
// exit, which the compiler turns into wide compares.
bool has_control_character(std::string_view text) {
  unsigned char lowest = 0xFF;
  for (const char c : text) lowest = std::min(lowest, static_cast<unsigned char>(c));
  return lowest < 0x20;
}

// The value of the string between `open` and `end` (its quotes), or nothing
// when it is not valid JSON.
std::optional<std::string> decode_string(std::string_view body, std::size_t open, std::size_t end) {
  const std::string_view inside = body.substr(open + 1, end - open - 2);
  if (has_control_character(inside)) return std::nullopt;
  std::string out;
  out.reserve(inside.size());
  std::size_t at = 0;
  while (at < inside.size()) {
    const void* found = std::memchr(inside.data() + at, '\\', inside.size() - at);
    const std::size_t escape =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - inside.data())
              : inside.size();
    out.append(inside.data() + at, escape - at);
    if (escape == inside.size()) break;
    const std::size_t taken = decode_escape(inside.substr(escape + 1), out);
    if (taken == 0) return std::nullopt;
    at = escape + 1 + taken;
  }
  return out;
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  constexpr char hex[] = "0123456789abcdef";
  out += '"';
  std::size_t at = 0;
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x80) {
      const auto sequence = header_format::next_utf8_sequence(text, at);
      out.append(sequence.well_formed ? text.substr(at, sequence.length)
                                      : std::string_view("\uFFFD"));
      at += sequence.length;
      continue;
    }
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20) {
      out += "\\u00";
      out += hex[byte >> 4];
      out += hex[byte & 0xF];
    } else {
      out += static_cast<char>(byte);
    }
    ++at;
  }
  out += '"';
}

std::optional<SplitBody> split_long_strings(std::string_view body) {
  SplitBody split;
  std::size_t copied = 0;
  // Outside strings, a quote always opens one.
  for (std::size_t at = body.find('"'); at != std::string_view::npos;) {
    const std::size_t end = string_end(body, at);
    if (end == body.size() && body.back() != '"') return std::nullopt;
    if (end - at - 2 >= long_string) {
      auto value = decode_string(body, at, end);
      if (!value) return std::nullopt;
      // A placeholder no other string of the message can equal: checked
      // after parsing.
      std::string placeholder = "\x01voromel-long-string-" + std::to_string(split.strings.size());
      split.skeleton.append(body.data() + copied, at - copied);
      split.skeleton +=
          "\"\\u0001voromel-long-string-" + std::to_string(split.strings.size()) + "\"";
      copied = end;
      split.strings.push_back(std::move(*value));
      split.placeholders.push_back(std::move(placeholder));
    }
    at = end < body.size() ? body.find('"', end) : std::string_view::npos;
  }
  if (split.strings.empty()) return std::nullopt;
  split.skeleton.append(body.data() + copied, body.size() - copied);
  return split;
}

}  // namespace voromel::lsp
