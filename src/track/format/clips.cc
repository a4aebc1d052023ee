#include "track/format/clips.h"

#include <algorithm>
#include <array>
#include <limits>

#include "header_format/text.h"
#include "track/format/notes.h"
#include "track/format/points.h"
#include "track/name_log.h"
#include "track/number_text.h"
#include "track/scalars.h"
#include "track/short_decimal.h"

namespace voromel::track::format {

namespace {

using header_format::Tokens;
using voromel::Ok;

// "transpose <value>" or "tuning <name>", shared by both placements.
// Answers whether the token started such a clause.
LineResult<bool> read_placement_clause(std::string_view token, Tokens& tokens,
                                       std::size_t line_number, float& transpose,
                                       std::optional<std::string>& tuning) {
  if (token == "transpose") {
    const auto value = tokens.next();
    if (!value) return ParseError::line(line_number, "transpose needs a value");
    const auto number = parse_float(*value, line_number, "transpose");
    if (!number) return number.error();
    transpose = number.value();
    return true;
  }
  if (token == "tuning") {
    const auto name = tokens.next();
    if (!name) return ParseError::line(line_number, "tuning needs a name");
    NameLog::use(NameKind::Tuning, *name);
    tuning = std::string(*name);
    return true;
  }
  return false;
}

// The clauses up to the end of the line; `kind` names the placement in the
// message about a token that starts no clause.
LineResult<Ok> read_placement_clauses(Tokens& tokens, std::size_t line_number,
                                      std::string_view kind, float& transpose,
                                      std::optional<std::string>& tuning) {
  while (const auto token = tokens.next()) {
    const auto clause = read_placement_clause(*token, tokens, line_number, transpose, tuning);
    if (!clause) return clause.error();
    if (!clause.value()) {
      return ParseError::line(line_number,
                              "unexpected " + std::string(kind) + " token " + quoted(*token));
    }
  }
  return Ok{};
}

// The name and start that both placements begin with.
LineResult<Ok> read_name_and_start(Tokens& tokens, std::size_t line_number, std::string_view kind,
                                   NameKind name_kind, std::string& name, float& start) {
  const auto name_token = tokens.next();
  if (!name_token) return ParseError::line(line_number, std::string(kind) + " needs a name");
  NameLog::use(name_kind, *name_token);
  name = std::string(*name_token);
  const auto start_token = tokens.next();
  if (!start_token) return ParseError::line(line_number, std::string(kind) + " needs start");
  const auto value = parse_float(*start_token, line_number, "start");
  if (!value) return value.error();
  start = value.value();
  return Ok{};
}

LineResult<std::optional<Placement>> parse_motif_instance(Tokens& tokens, std::size_t line_number) {
  song::MotifInstance placement;
  auto head = read_name_and_start(tokens, line_number, "motif", NameKind::Motif, placement.name,
                                  placement.start);
  if (!head) return std::move(head).error();
  const auto sound = tokens.next();
  if (!sound) return ParseError::line(line_number, "motif needs a sound");
  NameLog::use(NameKind::Sound, *sound);
  placement.sound = std::string(*sound);
  auto clauses =
      read_placement_clauses(tokens, line_number, "motif", placement.transpose, placement.tuning);
  if (!clauses) return std::move(clauses).error();
  return std::optional<Placement>(std::move(placement));
}

LineResult<std::optional<Placement>> parse_subtrack_instance(Tokens& tokens,
                                                             std::size_t line_number) {
  song::SubtrackInstance placement;
  auto head = read_name_and_start(tokens, line_number, "subtrack", NameKind::Subtrack,
                                  placement.name, placement.start);
  if (!head) return std::move(head).error();
  const auto next = tokens.peek();
  if (next && *next != "transpose" && *next != "tuning") {
    placement.qualifier = std::string(*tokens.next());
  }
  auto clauses = read_placement_clauses(tokens, line_number, "subtrack", placement.transpose,
                                        placement.tuning);
  if (!clauses) return std::move(clauses).error();
  return std::optional<Placement>(std::move(placement));
}

}  // namespace

LineResult<std::optional<Placement>> read_track_line(std::string_view line, std::size_t line_number,
                                                     song::Note& note) {
  Tokens tokens(line);
  const auto first = tokens.next();
  if (!first) return ParseError::line(line_number, "empty track line");
  switch (classify_line_start(*first)) {
    case LineStart::Motif:
      return parse_motif_instance(tokens, line_number);
    case LineStart::Subtrack:
      return parse_subtrack_instance(tokens, line_number);
    case LineStart::AudioClip:
      return ParseError::line(
          line_number,
          "audio clips were replaced by sampler sounds: define a '## <name>' block with '@sample "
          "\"" +
              std::string(*first) + "\"' under '# Sounds' and place it as a note");
    case LineStart::Heading:
    case LineStart::Sound:
      break;
  }
  if (auto read = read_note_line(*first, tokens, line_number, note); !read) {
    return std::move(read).error();
  }
  return std::optional<Placement>();
}

namespace {

// The fields of a trimmed line, one at a time, as long as they are visible
// ASCII characters parted by ASCII white space.
class AsciiFields {
 public:
  explicit AsciiFields(std::string_view trimmed)
      : at_(trimmed.data()), end_(trimmed.data() + trimmed.size()) {}

  // The next field; nothing at the end of the line or at a byte that is
  // neither visible ASCII nor ASCII white space.
  std::optional<std::string_view> next() {
    const char* const field = at_;
    const char* end = field;
    while (end != end_ && header_format::is_visible_ascii(static_cast<unsigned char>(*end))) ++end;
    if (end == field) return std::nullopt;
    at_ = end;
    skip_gap();
    return std::string_view(field, static_cast<std::size_t>(end - field));
  }

  // The next field, if it is a plain canonical number: its value; `field`
  // is set to its text.
  std::optional<float> next_plain_number(std::string_view& field) {
    std::size_t length = 0;
    const auto value = read_plain_canonical_number(
        std::string_view(at_, static_cast<std::size_t>(end_ - at_)), length);
    if (!value) return std::nullopt;
    field = std::string_view(at_, length);
    at_ += length;
    if (!skip_gap() && at_ != end_) return std::nullopt;
    return value;
  }

  // The text from the next field on.
  std::string_view rest() const {
    return std::string_view(at_, static_cast<std::size_t>(end_ - at_));
  }
  // Where the last field read ends.
  const char* field_end() const { return field_end_; }
  bool at_end() const { return at_ == end_; }
  bool single_spaced() const { return single_spaced_; }

 private:
  // Moves past the white space after a field; false if there is none.
  bool skip_gap() {
    field_end_ = at_;
    // One space before a field, the common gap.
    if (end_ - at_ > 1 && at_[0] == ' ' &&
        !header_format::is_ascii_white_space(static_cast<unsigned char>(at_[1]))) {
      ++at_;
      return true;
    }
    const char* const gap = at_;
    const char* end = gap;
    while (end != end_ && header_format::is_ascii_white_space(static_cast<unsigned char>(*end)))
      ++end;
    at_ = end;
    if (end == gap) return false;
    if (end - gap != 1 || *gap != ' ') single_spaced_ = false;
    return true;
  }

  const char* at_;
  const char* end_;
  const char* field_end_ = nullptr;
  bool single_spaced_ = true;
};

// "<sound> <start> <pitch>", each as the canonical text has it: the start,
// and the three fields' texts.
std::optional<float> read_plain_head(AsciiFields& fields, std::array<std::string_view, 3>& texts) {
  const auto sound = fields.next();
  if (!sound || classify_line_start(*sound) != LineStart::Sound) return std::nullopt;
  texts[0] = *sound;
  const auto start = fields.next_plain_number(texts[1]);
  if (!start || !fields.next_plain_number(texts[2])) return std::nullopt;
  return start;
}

}  // namespace

std::optional<PlainNoteHead> read_plain_note_head(std::string_view trimmed) {
  AsciiFields fields(trimmed);
  std::array<std::string_view, 3> texts;
  const auto start = read_plain_head(fields, texts);
  if (!start || fields.at_end()) return std::nullopt;
  const std::string_view head(trimmed.data(),
                              static_cast<std::size_t>(fields.field_end() - trimmed.data()));
  return PlainNoteHead{head, texts, *start, fields.single_spaced(), fields.rest()};
}

void PlainNoteHead::append_head_to(std::string& out) const {
  if (single_spaced) {
    out += head;
    return;
  }
  out += fields[0];
  out += ' ';
  out += fields[1];
  out += ' ';
  out += fields[2];
}

LineResult<std::uint64_t> parse_index(std::string_view token, std::size_t line_number,
                                      std::string_view label) {
  const auto invalid = [&] {
    return ParseError::line(line_number,
                            "invalid index for " + std::string(label) + ": " + quoted(token));
  };
  const auto value = parse_unsigned(token, std::numeric_limits<std::uint64_t>::max());
  if (!value) return invalid();
  return *value;
}

namespace {

// The rest of the line after "pitch-curve": every token, joined by spaces.
LineResult<std::vector<song::WavePoint>> read_override_curve(Tokens& tokens,
                                                             std::size_t line_number) {
  std::string text;
  while (const auto token = tokens.next()) {
    if (!text.empty()) text += ' ';
    text += *token;
  }
  return parse_wave_points(text, line_number);
}

LineResult<std::string> read_override_text(std::string_view value, Tokens& tokens,
                                           std::size_t line_number) {
  if (value.front() != '"') return ParseError::line(line_number, "override text must be quoted");
  auto text = read_quoted(value.substr(1), tokens, line_number);
  if (!text) return text;
  std::string& read = text.value();
  read.erase(0, read.find_first_not_of('\''));
  return text;
}

// A numeric field. The value is read before the name is looked up, so an
// unknown name with a value that is no number reports the number.
LineResult<Ok> read_override_number(song::NoteOverride& note_override, std::string_view field,
                                    std::string_view value, std::size_t line_number) {
  const auto number = parse_float(value, line_number, field);
  if (!number) return number.error();
  if (field == "pitch") {
    note_override.pitch = number.value();
  } else if (field == "start") {
    note_override.start = number.value();
  } else if (field == "duration") {
    note_override.duration = number.value();
  } else if (field == "glide") {
    note_override.glide = number.value();
  } else if (field == "volume") {
    note_override.volume = number.value();
  } else {
    return ParseError::line(line_number, "unknown override field " + quoted(field));
  }
  return Ok{};
}

LineResult<Ok> read_override_field(song::NoteOverride& note_override, std::string_view field,
                                   Tokens& tokens, std::size_t line_number) {
  if (field == "skip") {
    note_override.skip = true;
    return Ok{};
  }
  if (field == "pitch-curve") {
    auto points = read_override_curve(tokens, line_number);
    if (!points) return std::move(points).error();
    note_override.pitch_curve = std::move(points).value();
    return Ok{};
  }
  const auto value = tokens.next();
  if (!value) return ParseError::line(line_number, "override " + quoted(field) + " needs a value");
  if (field == "text") {
    auto text = read_override_text(*value, tokens, line_number);
    if (!text) return std::move(text).error();
    note_override.text = std::move(text).value();
    return Ok{};
  }
  return read_override_number(note_override, field, *value, line_number);
}

LineResult<song::NoteOverride> parse_note_override(Tokens& tokens, std::size_t line_number) {
  const auto index = tokens.next();
  if (!index) return ParseError::line(line_number, "note override needs an index");
  song::NoteOverride note_override;
  const auto value = parse_index(*index, line_number, "note index");
  if (!value) return value.error();
  note_override.index = value.value();
  while (const auto field = tokens.next()) {
    auto read = read_override_field(note_override, *field, tokens, line_number);
    if (!read) return std::move(read).error();
  }
  return note_override;
}

LineResult<song::Trim> parse_trim(Tokens& tokens, std::size_t line_number) {
  const auto from = tokens.next();
  const auto count = tokens.next();
  if (!from || !count) return ParseError::line(line_number, "trim needs <from> <count>");
  const auto from_value = parse_index(*from, line_number, "trim from");
  if (!from_value) return from_value.error();
  const auto count_value = parse_index(*count, line_number, "trim count");
  if (!count_value) return count_value.error();
  if (!tokens.empty()) return ParseError::line(line_number, "trim takes only <from> <count>");
  return song::Trim{from_value.value(), count_value.value()};
}

}  // namespace

LineResult<Ok> apply_placement_override(std::vector<song::NoteOverride>& overrides,
                                        std::optional<song::Trim>& trim, std::string_view line,
                                        std::size_t line_number) {
  Tokens tokens(line);
  const auto first = tokens.next();
  if (!first) return ParseError::line(line_number, "empty placement override");
  if (*first == "trim") {
    const auto read = parse_trim(tokens, line_number);
    if (!read) return read.error();
    trim = read.value();
    return Ok{};
  }
  if (*first == "note") {
    auto read = parse_note_override(tokens, line_number);
    if (!read) return std::move(read).error();
    overrides.push_back(std::move(read).value());
    return Ok{};
  }
  return ParseError::line(line_number,
                          "placement override must be 'note' or 'trim', got " + quoted(*first));
}

namespace {

void append_placement_clauses(std::string& out, float transpose,
                              const std::optional<std::string>& tuning) {
  if (transpose != 0) {
    out += " transpose ";
    append_number(out, transpose);
  }
  if (tuning) {
    out += " tuning ";
    out += *tuning;
  }
}

void append_optional_field(std::string& out, std::string_view name,
                           const std::optional<float>& value) {
  if (!value) return;
  out += ' ';
  out += name;
  out += ' ';
  append_number(out, *value);
}

}  // namespace

void append_motif_instance(std::string& out, const song::MotifInstance& placement) {
  out += "motif ";
  out += placement.name;
  out += ' ';
  append_number(out, placement.start);
  out += ' ';
  out += placement.sound;
  append_placement_clauses(out, placement.transpose, placement.tuning);
}

void append_subtrack_instance(std::string& out, const song::SubtrackInstance& placement) {
  out += "subtrack ";
  out += placement.name;
  out += ' ';
  append_number(out, placement.start);
  if (placement.qualifier) {
    out += ' ';
    out += *placement.qualifier;
  }
  append_placement_clauses(out, placement.transpose, placement.tuning);
}

void append_note_override(std::string& out, const song::NoteOverride& note_override) {
  out += "note ";
  out += std::to_string(note_override.index);
  if (note_override.skip) out += " skip";
  append_optional_field(out, "pitch", note_override.pitch);
  append_optional_field(out, "start", note_override.start);
  append_optional_field(out, "duration", note_override.duration);
  append_optional_field(out, "glide", note_override.glide);
  append_optional_field(out, "volume", note_override.volume);
  if (note_override.text) {
    out += " text \"";
    out += *note_override.text;
    out += '"';
  }
  if (note_override.pitch_curve) {
    out += " pitch-curve ";
    append_curve_points(out, *note_override.pitch_curve);
  }
}

}  // namespace voromel::track::format
