#include "cli/utf8.h"

#include "header_format/text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace voromel::cli {

namespace {

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

std::string lossy_utf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    const header_format::Utf8Sequence sequence = header_format::next_utf8_sequence(bytes, at);
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
