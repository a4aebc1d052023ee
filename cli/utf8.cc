#include "cli/utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace voromel::cli {

namespace {

struct Sequence {
  std::size_t length;
  bool well_formed;
};

// The well-formed byte sequences of UTF-8: after the lead byte, the second
// byte's range depends on the lead (no overlong forms, no surrogates, nothing
// beyond U+10FFFF), and every later byte is 80..BF.
Sequence next_sequence(std::string_view bytes, std::size_t at) {
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

void append_hex(std::string& out, unsigned value) {
  constexpr char digits[] = "0123456789abcdef";
  if (value >= 16) out += digits[value / 16];
  out += digits[value % 16];
}

// 1 or 2 for the bytes of a control character at `at`, 0 for anything else.
// The character's value is the last of its bytes: U+0080-U+009F are C2 80 ..
// C2 9F.
std::size_t control_length(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return 1;
  if (byte != 0xC2 || at + 1 == text.size()) return 0;
  const auto next = static_cast<unsigned char>(text[at + 1]);
  return next >= 0x80 && next <= 0x9F ? 2 : 0;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    // Eight ASCII bytes at a time: no byte has its high bit set.
    std::uint64_t eight = 0;
    if (at + sizeof eight <= bytes.size()) {
      std::memcpy(&eight, bytes.data() + at, sizeof eight);
      if ((eight & 0x8080808080808080u) == 0) {
        at += sizeof eight;
        continue;
      }
    }
    if (static_cast<unsigned char>(bytes[at]) < 0x80) {
      ++at;
      continue;
    }
    const Sequence sequence = next_sequence(bytes, at);
    if (!sequence.well_formed) return false;
    at += sequence.length;
  }
  return true;
}

std::string lossy_utf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    const Sequence sequence = next_sequence(bytes, at);
    if (sequence.well_formed) {
      text.append(bytes.substr(at, sequence.length));
    } else {
      text += "\uFFFD";
    }
    at += sequence.length;
  }
  return text;
}

std::string escape_control_characters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  // Text up to `copied` is already in `out`; runs without control
  // characters are appended whole.
  std::size_t copied = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::size_t length = control_length(text, at);
    if (length == 0) continue;
    out.append(text, copied, at - copied);
    out += "\\u{";
    append_hex(out, static_cast<unsigned char>(text[at + length - 1]));
    out += '}';
    at += length - 1;
    copied = at + 1;
  }
  out.append(text, copied);
  return out;
}

}  // namespace voromel::cli
