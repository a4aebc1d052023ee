#include "track/format/notes.h"

#include <algorithm>
#include <array>

#include "track/format/curves.h"
#include "track/format/note_curves.h"
#include "track/format/points.h"
#include "track/name_log.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::format {

namespace {

using header_format::equals_ignoring_ascii_case;
using header_format::Tokens;
using song::Curve;
using song::WavePoint;
using voromel::Ok;

constexpr std::string_view arpeggio_needs_rate = "arpeggio needs 'rate <steps per second>'";

}  // namespace

LineResult<std::string> read_quoted(std::string_view first_part, Tokens& tokens,
                                    std::size_t line_number) {
  std::string text(first_part);
  bool closed = !text.empty() && text.back() == '"';
  while (!closed) {
    const auto next = tokens.next();
    if (!next) return ParseError::line(line_number, "unterminated note text (missing '\"')");
    text += ' ';
    text += *next;
    closed = text.back() == '"';
  }
  text.pop_back();
  return text;
}

LineResult<song::Arpeggio> parse_arpeggio(std::string_view first_offset, Tokens& tokens,
                                          std::size_t line_number) {
  song::Arpeggio arpeggio;
  // The first token is always an offset, even when it reads "rate".
  std::string_view token = first_offset;
  do {
    auto offset = parse_float(token, line_number, "arpeggio offset");
    if (!offset) return std::move(offset).error();
    arpeggio.offsets.push_back(offset.value());
    const auto next = tokens.next();
    if (!next) return ParseError::line(line_number, std::string(arpeggio_needs_rate));
    token = *next;
  } while (token != "rate");
  const auto rate_token = tokens.next();
  if (!rate_token) return ParseError::line(line_number, "arpeggio rate needs a value");
  auto rate = parse_float(*rate_token, line_number, "arpeggio rate");
  if (!rate) return std::move(rate).error();
  // Not-a-number fails this test too.
  if (!(rate.value() > 0)) return ParseError::line(line_number, std::string(arpeggio_needs_rate));
  arpeggio.rate = rate.value();
  return arpeggio;
}

bool is_audio_filename(std::string_view text) {
  // Only the last dot of the last five characters can start one of these.
  constexpr std::size_t longest_extension = 4;
  std::size_t dot = text.size();
  while (dot > 0 && text.size() - dot <= longest_extension && text[dot - 1] != '.') --dot;
  if (dot == 0 || text[dot - 1] != '.') return false;
  const std::string_view extension = text.substr(dot);
  constexpr std::array<std::string_view, 4> audio = {"wav", "mp3", "ogg", "flac"};
  for (const std::string_view known : audio) {
    if (equals_ignoring_ascii_case(extension, known)) return true;
  }
  return false;
}

namespace {

// Written at column 0, such a token would read back as a heading.
bool starts_heading(std::string_view token) {
  return token.front() == '#';
}

}  // namespace

LineStart classify_line_start(std::string_view first_token) {
  if (first_token == "motif") return LineStart::Motif;
  if (first_token == "subtrack") return LineStart::Subtrack;
  if (is_audio_filename(first_token)) return LineStart::AudioClip;
  if (starts_heading(first_token)) return LineStart::Heading;
  return LineStart::Sound;
}

namespace {

// The number after an option keyword, or `missing` when the line ends.
LineResult<float> option_value(Tokens& tokens, std::size_t line_number, std::string_view label,
                               std::string_view missing) {
  const auto token = tokens.next();
  if (!token) return ParseError::line(line_number, std::string(missing));
  return parse_float(*token, line_number, label);
}

// The curve a glide (from 0) or a vol-ramp (from 1) option stands for.
std::vector<WavePoint> two_point_curve(float from, float to, Curve curve) {
  return {{0.0f, from, curve}, {1.0f, to, Curve::linear()}};
}

LineResult<Ok> read_note_text(std::string_view first_part, Tokens& tokens, std::size_t line_number,
                              NoteOptions& options) {
  auto text = read_quoted(first_part, tokens, line_number);
  if (!text) return std::move(text).error();
  options.text = std::move(text).value();
  options.text_apostrophe = !options.text.empty() && options.text.front() == '\'';
  if (options.text_apostrophe) options.text.erase(0, 1);
  return Ok{};
}

LineResult<Ok> read_glide(Tokens& tokens, std::size_t line_number, NoteOptions& options) {
  const auto offset = option_value(tokens, line_number, "glide", "glide needs an offset");
  if (!offset) return offset.error();
  const Curve curve = curve_token(tokens).value_or(Curve::ease());
  options.pitch_curve.clear();
  if (offset.value() != 0) options.pitch_curve = two_point_curve(0.0f, offset.value(), curve);
  return Ok{};
}

LineResult<Ok> read_vol_ramp(Tokens& tokens, std::size_t line_number, NoteOptions& options) {
  const auto target =
      option_value(tokens, line_number, "vol-ramp", "vol-ramp needs a target factor");
  if (!target) return target.error();
  const Curve curve = curve_token(tokens).value_or(Curve::ease());
  options.volume_curve.clear();
  if (target.value() != 1) options.volume_curve = two_point_curve(1.0f, target.value(), curve);
  return Ok{};
}

LineResult<Ok> read_note_arpeggio(Tokens& tokens, std::size_t line_number, NoteOptions& options) {
  const auto first = tokens.next();
  if (!first) return ParseError::line(line_number, "arpeggio needs an offset");
  auto arpeggio = parse_arpeggio(*first, tokens, line_number);
  if (!arpeggio) return std::move(arpeggio).error();
  options.arpeggio = std::move(arpeggio).value();
  return Ok{};
}

LineResult<Ok> read_repeat(Tokens& tokens, std::size_t line_number, NoteOptions& options) {
  const auto token = tokens.next();
  if (!token) return ParseError::line(line_number, "repeat needs a count");
  const auto count = parse_count(*token);
  if (!count)
    return ParseError::line(line_number, "invalid repeat count '" + std::string(*token) + "'");
  options.repeat = *count;
  return Ok{};
}

LineResult<Ok> read_option(std::string_view token, Tokens& tokens, std::size_t line_number,
                           NoteOptions& options) {
  if (token.front() == '"') return read_note_text(token.substr(1), tokens, line_number, options);
  if (token == "glide") return read_glide(tokens, line_number, options);
  if (token == "volume") {
    const auto volume = option_value(tokens, line_number, "volume", "volume needs a value");
    if (!volume) return volume.error();
    options.volume = volume.value();
    return Ok{};
  }
  if (token == "vol-ramp") return read_vol_ramp(tokens, line_number, options);
  if (token == "arpeggio") return read_note_arpeggio(tokens, line_number, options);
  if (token == "repeat") return read_repeat(tokens, line_number, options);
  return ParseError::line(line_number, "unexpected note token '" + std::string(token) + "'");
}

LineResult<float> note_field(Tokens& tokens, std::size_t line_number,
                             std::string_view missing_prefix, std::string_view label) {
  const auto token = tokens.next();
  if (!token) {
    return ParseError::line(line_number,
                            std::string(missing_prefix) + " needs " + std::string(label));
  }
  return parse_float(*token, line_number, label);
}

}  // namespace

LineResult<NoteOptions> parse_note_options(Tokens& tokens, std::size_t line_number) {
  NoteOptions options;
  while (const auto token = tokens.next()) {
    auto read = read_option(*token, tokens, line_number, options);
    if (!read) return std::move(read).error();
  }
  return options;
}

LineResult<Ok> read_note_fields(Tokens& tokens, std::size_t line_number,
                                std::string_view missing_prefix, song::Note& note) {
  const auto start = note_field(tokens, line_number, missing_prefix, "start");
  if (!start) return start.error();
  const auto pitch = note_field(tokens, line_number, missing_prefix, "pitch");
  if (!pitch) return pitch.error();
  if (auto read = read_note_tail(tokens, line_number, missing_prefix, note); !read) return read;
  note.start = start.value();
  note.pitch = pitch.value();
  return Ok{};
}

LineResult<Ok> read_note_tail(Tokens& tokens, std::size_t line_number,
                              std::string_view missing_prefix, song::Note& note) {
  const auto duration = note_field(tokens, line_number, missing_prefix, "duration");
  if (!duration) return duration.error();
  auto options = parse_note_options(tokens, line_number);
  if (!options) return std::move(options).error();
  NoteOptions& read = options.value();
  note.segments.clear();
  note.last_segment = {0.0f, duration.value(), Curve::ease()};
  note.volume_curve = std::move(read.volume_curve);
  note.text = std::move(read.text);
  note.text_apostrophe = read.text_apostrophe;
  note.arpeggio = std::move(read.arpeggio);
  note.volume = read.volume;
  note.repeat = read.repeat;
  if (!read.pitch_curve.empty()) set_pitch_curve(note, read.pitch_curve);
  return Ok{};
}

LineResult<song::Note> parse_note_fields(Tokens& tokens, std::size_t line_number,
                                         std::string_view missing_prefix) {
  song::Note note;
  if (auto read = read_note_fields(tokens, line_number, missing_prefix, note); !read) {
    return std::move(read).error();
  }
  return note;
}

LineResult<Ok> read_note_line(std::string_view sound, Tokens& tokens, std::size_t line_number,
                              song::Note& note) {
  // A sound that starts with '#' could only have been reached past leading
  // white space other than space and tab.
  if (starts_heading(sound)) {
    return ParseError::line(line_number,
                            "note sound '" + std::string(sound) + "' would read back as a heading");
  }
  if (auto read = read_note_fields(tokens, line_number, "note", note); !read) return read;
  NameLog::use(NameKind::Sound, sound);
  note.sound = sound;
  return Ok{};
}

namespace {

void append_text_option(std::string& out, const std::string& text, bool text_apostrophe) {
  if (!text_apostrophe && text.empty()) return;
  out += " \"";
  if (text_apostrophe) out += '\'';
  out += text;
  out += '"';
}

// " glide 2 linear": the target value, and the curve of the first point.
void append_shape_option(std::string& out, std::string_view keyword,
                         const std::vector<WavePoint>& points, float from) {
  if (!is_option_shape(points, from) || points[1].y == from) return;
  out += ' ';
  out += keyword;
  out += ' ';
  append_number(out, points[1].y);
  append_curve_suffix(out, points[0].curve);
}

void append_arpeggio_option(std::string& out, const song::Arpeggio& arpeggio) {
  if (arpeggio.offsets.empty()) return;
  out += " arpeggio";
  append_arpeggio_values(out, arpeggio);
}

void append_curve_line(std::string& out, std::string_view keyword,
                       const std::vector<WavePoint>& points, float option_from) {
  if (points.empty() || is_option_shape(points, option_from)) return;
  out += "\n  ";
  out += keyword;
  out += ' ';
  append_curve_points(out, points);
}

}  // namespace

void append_note_options(std::string& out, float volume, const std::vector<WavePoint>& pitch_curve,
                         const std::vector<WavePoint>& volume_curve, const std::string& text,
                         bool text_apostrophe, const song::Arpeggio& arpeggio,
                         std::uint32_t repeat_count) {
  append_text_option(out, text, text_apostrophe);
  append_shape_option(out, "glide", pitch_curve, 0.0f);
  // Not-a-number is never more than epsilon away, so it is never written.
  if (number_beyond_epsilon_of(volume, 1.0f)) {
    out += " volume ";
    append_number(out, volume);
  }
  append_shape_option(out, "vol-ramp", volume_curve, 1.0f);
  append_arpeggio_option(out, arpeggio);
  if (repeat_count > 1) {
    out += " repeat ";
    out += std::to_string(repeat_count);
  }
  append_curve_line(out, "pitch", pitch_curve, 0.0f);
  append_curve_line(out, "volume", volume_curve, 1.0f);
}

namespace {

// The total duration, the options and the curve lines.
void append_note_tail(std::string& out, const song::Note& note) {
  const WrittenPitch pitch = written_pitch(note);
  append_number(out, pitch.duration);
  append_note_options(out, note.volume, pitch.points, note.volume_curve, note.text,
                      note.text_apostrophe, note.arpeggio, note.repeat);
}

}  // namespace

void append_note_body(std::string& out, const song::Note& note) {
  append_number(out, note.start);
  out += ' ';
  append_number(out, note.pitch);
  out += ' ';
  append_note_tail(out, note);
}

std::optional<std::string> canonical_note_tail(std::string_view tail) {
  Tokens tokens(tail);
  song::Note note;
  if (!read_note_tail(tokens, 0, "note", note) || !pitch_settles(note)) return std::nullopt;
  std::string text;
  append_note_tail(text, note);
  return text;
}

void append_note(std::string& out, const song::Note& note) {
  out += note.sound;
  out += ' ';
  append_note_body(out, note);
}

std::string format_note(const song::Note& note) {
  std::string out;
  append_note(out, note);
  return out;
}

void append_arpeggio_values(std::string& out, const song::Arpeggio& arpeggio) {
  for (const float offset : arpeggio.offsets) {
    out += ' ';
    append_number(out, offset);
  }
  out += " rate ";
  append_number(out, arpeggio.rate);
}

}  // namespace voromel::track::format
