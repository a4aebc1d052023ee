#include "track/format/notes.h"

#include <array>

#include "track/scalars.h"

namespace voromel::track::format {

namespace {

using header_format::Tokens;

bool equals_ignoring_ascii_case(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

constexpr std::string_view arpeggio_needs_rate = "arpeggio needs 'rate <steps per second>'";

}  // namespace

LineResult<std::string> read_quoted(std::string_view first_part, Tokens& tokens, std::size_t line) {
  std::string text(first_part);
  bool closed = !text.empty() && text.back() == '"';
  while (!closed) {
    const auto next = tokens.next();
    if (!next) return ParseError::line(line, "unterminated note text (missing '\"')");
    text += ' ';
    text += *next;
    closed = text.back() == '"';
  }
  text.pop_back();
  return text;
}

LineResult<song::Arpeggio> parse_arpeggio(std::string_view first_offset, Tokens& tokens,
                                          std::size_t line) {
  song::Arpeggio arpeggio;
  // The first token is always an offset, even when it reads "rate".
  std::string_view token = first_offset;
  do {
    auto offset = parse_float(token, line, "arpeggio offset");
    if (!offset) return std::move(offset).error();
    arpeggio.offsets.push_back(offset.value());
    const auto next = tokens.next();
    if (!next) return ParseError::line(line, std::string(arpeggio_needs_rate));
    token = *next;
  } while (token != "rate");
  const auto rate_token = tokens.next();
  if (!rate_token) return ParseError::line(line, "arpeggio rate needs a value");
  auto rate = parse_float(*rate_token, line, "arpeggio rate");
  if (!rate) return std::move(rate).error();
  // Not-a-number fails this test too.
  if (!(rate.value() > 0)) return ParseError::line(line, std::string(arpeggio_needs_rate));
  arpeggio.rate = rate.value();
  return arpeggio;
}

bool is_audio_filename(std::string_view text) {
  const std::size_t dot = text.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = text.substr(dot + 1);
  constexpr std::array<std::string_view, 4> audio = {"wav", "mp3", "ogg", "flac"};
  for (const std::string_view known : audio) {
    if (equals_ignoring_ascii_case(extension, known)) return true;
  }
  return false;
}

}  // namespace voromel::track::format
