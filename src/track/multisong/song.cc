#include "track/multisong/song.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "header_format/text.h"
#include "song/total_order.h"
#include "track/body_lines.h"
#include "track/described_directives.h"
#include "track/directive_table.h"
#include "track/format/jumps.h"
#include "track/name_log.h"
#include "track/number_text.h"
#include "track/repeated_names.h"
#include "track/scalars.h"

namespace voromel::track::multisong {

using header_format::Tokens;
using song::Jump;
using song::JumpAt;
using song::Marker;
using song::Param;
using song::Song;
using song::SongPosition;
using song::TempoParam;

namespace {

// --- Reading one directive -------------------------------------------------

LineResult<SongDirective> parse_tempo_param(Tokens& tokens, std::size_t line_number) {
  const auto name = tokens.next();
  if (!name) return ParseError::line(line_number, "@tempo param needs a parameter name");
  NameLog::use(NameKind::Parameter, *name);
  TempoParam param{std::string(*name), 1.0f};
  if (const auto scale_token = tokens.next()) {
    auto scale = parse_float(*scale_token, line_number, "tempo scale");
    if (!scale) return std::move(scale).error();
    param.scale = scale.value();
  }
  return SongDirective(std::move(param));
}

// "<tempo> [<end tempo>]" or "param <name> [<scale>]"; later tokens are ignored.
LineResult<SongDirective> parse_tempo(std::string_view value, std::size_t line_number) {
  Tokens tokens(value);
  const auto first = tokens.next();
  if (!first) return ParseError::line(line_number, "@tempo needs a value or 'param <name>'");
  if (*first == "param") return parse_tempo_param(tokens, line_number);
  auto tempo = parse_float(*first, line_number, "tempo");
  if (!tempo) return std::move(tempo).error();
  TempoDirective directive{tempo.value(), 1.0f};
  // A ramp needs a tempo above zero; otherwise the end tempo is not even read.
  if (directive.tempo > 0.0f && !tokens.empty()) {
    auto end = parse_next_float(tokens, line_number, "end tempo");
    if (!end) return std::move(end).error();
    directive.ratio = end.value() / directive.tempo;
  }
  return SongDirective(directive);
}

LineResult<SongDirective> parse_signature(std::string_view value, std::size_t line_number) {
  Tokens tokens(value);
  const auto beats_token = tokens.next();
  if (!beats_token)
    return ParseError::line(line_number, "@signature needs <beats_per_bar> [beat_unit]");
  auto beats = parse_positive(*beats_token, line_number, "beats_per_bar");
  if (!beats) return std::move(beats).error();
  SignatureDirective directive{beats.value(), 4};
  if (const auto unit_token = tokens.next()) {
    auto unit = parse_positive(*unit_token, line_number, "beat_unit");
    if (!unit) return std::move(unit).error();
    directive.beat_unit = unit.value();
  }
  if (!tokens.empty()) {
    return ParseError::line(line_number, "@signature takes only <beats_per_bar> [beat_unit]");
  }
  return SongDirective(directive);
}

LineResult<SongDirective> parse_seed(std::string_view value, std::size_t line_number) {
  const auto seed = parse_count(value);
  if (!seed) return ParseError::line(line_number, "invalid seed " + quoted(value));
  return SongDirective(SeedDirective{*seed});
}

LineResult<SongDirective> parse_param(std::string_view value, std::size_t line_number) {
  Tokens tokens(value);
  const auto name = tokens.next();
  if (!name) return ParseError::line(line_number, "@param needs a name");
  NameLog::define(NameKind::Parameter, *name);
  Param directive{std::string(*name), 0.0f};
  if (const auto default_token = tokens.next()) {
    auto default_value = parse_float(*default_token, line_number, "param default");
    if (!default_value) return std::move(default_value).error();
    directive.default_value = default_value.value();
  }
  if (!tokens.empty()) return ParseError::line(line_number, "@param takes only <name> [default]");
  return SongDirective(std::move(directive));
}

LineResult<SongDirective> parse_length(std::string_view value, std::size_t line_number) {
  auto length = parse_float(value, line_number, "length");
  if (!length) return std::move(length).error();
  return SongDirective(LengthDirective{length.value()});
}

// "<beat> <name>"; later tokens are ignored.
LineResult<SongDirective> parse_marker(std::string_view value, std::size_t line_number) {
  Tokens tokens(value);
  const auto beat_token = tokens.next();
  if (!beat_token) return ParseError::line(line_number, "@marker needs a beat");
  auto beat = parse_float(*beat_token, line_number, "marker beat");
  if (!beat) return std::move(beat).error();
  const auto name = tokens.next();
  if (!name) return ParseError::line(line_number, "@marker needs a name");
  if (is_number(*name)) {
    return ParseError::line(line_number,
                            "marker name " + quoted(*name) +
                                " is a number, which a jump target could not tell apart "
                                "from a beat");
  }
  NameLog::define(NameKind::Marker, *name);
  return SongDirective(Marker{std::string(*name), beat.value()});
}

LineResult<SongDirective> parse_jump(std::string_view value, std::size_t line_number) {
  Tokens tokens(value);
  const auto target = tokens.next();
  if (!target) return ParseError::line(line_number, "@jump needs a target");
  if (!is_number(*target)) NameLog::use(NameKind::Marker, *target);
  auto jump = format::parse_jump_clauses(tokens, line_number, "jump", std::string(*target));
  if (!jump) return std::move(jump).error();
  return SongDirective(std::move(jump).value());
}

// A position token that reads as a number is a beat, anything else a marker.
SongPosition position_from_token(std::string_view token) {
  if (is_number(token)) return SongPosition::at_beat(parse_float(token, 0, "").value());
  NameLog::use(NameKind::Marker, token);
  return SongPosition::at_marker(std::string(token));
}

LineResult<SongDirective> parse_jump_at(std::string_view value, std::size_t line_number) {
  Tokens tokens(value);
  const auto position = tokens.next();
  if (!position) return ParseError::line(line_number, "@jump-at needs a beat or marker name");
  const auto target = tokens.next();
  if (!target) return ParseError::line(line_number, "@jump-at needs a target");
  if (!is_number(*target)) NameLog::use(NameKind::Marker, *target);
  auto jump = format::parse_jump_clauses(tokens, line_number, "jump-at", std::string(*target));
  if (!jump) return std::move(jump).error();
  return SongDirective(JumpAt{std::move(jump).value(), position_from_token(*position)});
}

// --- Applying directives to a song -----------------------------------------

// How many markers and parameters a body defines: counted before it is read,
// each list of a long song is allocated once.
struct ListSizes {
  std::size_t markers = 0;
  std::size_t params = 0;
};

ListSizes count_list_directives(std::span<const std::string_view> lines) {
  ListSizes sizes;
  (void)for_each_body_line(lines, [&](const BodyLine& line) -> LineResult<voromel::Ok> {
    const std::string_view first = header_format::split_at_first_white_space(line.text).first;
    if (first == "@marker") ++sizes.markers;
    if (first == "@param") ++sizes.params;
    return voromel::Ok{};
  });
  return sizes;
}

// Of the parameters read under one name, the last counts; they are written
// in byte order of their names.
void keep_last_of_each_name(std::vector<Param>& params) {
  std::reverse(params.begin(), params.end());
  std::stable_sort(params.begin(), params.end(),
                   [](const Param& a, const Param& b) { return a.name < b.name; });
  const auto repeated =
      std::unique(params.begin(), params.end(),
                  [](const Param& a, const Param& b) { return a.name == b.name; });
  params.erase(repeated, params.end());
}

class SongReader {
 public:
  explicit SongReader(ListSizes sizes) {
    song_.markers.reserve(sizes.markers);
    marker_lines_.reserve(sizes.markers);
    song_.params.reserve(sizes.params);
  }

  // The error of the first marker read so far whose name an earlier one
  // has, at its line.
  std::optional<ParseError> repeated_marker() const {
    std::vector<std::string_view> names;
    names.reserve(song_.markers.size());
    for (const Marker& marker : song_.markers) names.push_back(marker.name);
    const auto repeated = first_repeated_name(names);
    if (!repeated) return std::nullopt;
    return ParseError::line(
        marker_lines_[*repeated],
        "marker " + quoted(song_.markers[*repeated].name) + " is defined twice in this song");
  }

  LineResult<voromel::Ok> apply(SongDirective directive, std::size_t line_number) {
    if (std::holds_alternative<Marker>(directive)) marker_lines_.push_back(line_number);
    const auto message =
        std::visit([this](auto&& taken) { return take(std::move(taken)); }, std::move(directive));
    if (message) return ParseError::line(line_number, *message);
    return voromel::Ok{};
  }

  Song finish() && {
    std::stable_sort(song_.markers.begin(), song_.markers.end(),
                     [](const Marker& a, const Marker& b) {
                       return song::total_order_key(a.beat) < song::total_order_key(b.beat);
                     });
    keep_last_of_each_name(song_.params);
    return std::move(song_);
  }

 private:
  using Message = std::optional<std::string>;

  Message take(TempoDirective tempo) {
    song_.tempo = tempo.tempo;
    song_.tempo_ratio = tempo.ratio;
    song_.tempo_param.reset();
    return std::nullopt;
  }
  Message take(TempoParam param) {
    song_.tempo_param = std::move(param);
    return std::nullopt;
  }
  Message take(LengthDirective length) {
    song_.length = length.length;
    return std::nullopt;
  }
  Message take(SignatureDirective signature) {
    song_.beats_per_bar = signature.beats_per_bar;
    song_.beat_unit = signature.beat_unit;
    return std::nullopt;
  }
  Message take(Jump jump) {
    song_.jumps.push_back(std::move(jump));
    return std::nullopt;
  }
  Message take(JumpAt jump_at) {
    song_.jump_ats.push_back(std::move(jump_at));
    return std::nullopt;
  }
  Message take(Marker marker) {
    song_.markers.push_back(marker);
    return std::nullopt;
  }
  Message take(Param param) {
    song_.params.push_back(param);
    return std::nullopt;
  }
  Message take(ImportDirective) {
    return "'@import' belongs in the document header, not inside a song";
  }
  Message take(SeedDirective seed) {
    song_.seed = seed.seed;
    return std::nullopt;
  }
  Message take(LayerDirective layer) {
    song_.layers.push_back(std::move(layer.name));
    return std::nullopt;
  }

  Song song_;
  // The line of each marker.
  std::vector<std::size_t> marker_lines_;
};

// --- Writing ----------------------------------------------------------------

// Each writer appends its directive's lines, none where the song holds the
// value of `defaults`; the tempo is always written.
void append_tempo(std::string& out, const Song& song, const Song& defaults) {
  if (song.tempo_param) {
    out += "@tempo param ";
    out += song.tempo_param->name;
    if (number_beyond_epsilon_of(song.tempo_param->scale, TempoParam{}.scale)) {
      out += ' ';
      append_plain_number(out, song.tempo_param->scale);
    }
    out += '\n';
    return;
  }
  out += "@tempo ";
  append_plain_number(out, song.tempo);
  if (number_beyond_epsilon_of(song.tempo_ratio, defaults.tempo_ratio)) {
    out += ' ';
    append_plain_number(out, written_end_tempo(song.tempo, song.tempo_ratio));
  }
  out += '\n';
}

void tempo_value(std::string& out, const Song& song) {
  append_plain_number(out, song.tempo);
}

void signature_value(std::string& out, const Song& song) {
  out += std::to_string(song.beats_per_bar) + ' ' + std::to_string(song.beat_unit);
}

void append_signature(std::string& out, const Song& song, const Song& defaults) {
  if (song.beats_per_bar == defaults.beats_per_bar && song.beat_unit == defaults.beat_unit) return;
  out += "@signature ";
  signature_value(out, song);
  out += '\n';
}

void append_seed(std::string& out, const Song& song, const Song&) {
  if (song.seed) out += "@seed " + std::to_string(*song.seed) + '\n';
}

void append_params(std::string& out, const Song& song, const Song&) {
  for (const auto& [name, default_value] : song.params) {
    out += "@param ";
    out += name;
    out += ' ';
    append_plain_number(out, default_value);
    out += '\n';
  }
}

void append_length(std::string& out, const Song& song, const Song&) {
  if (!song.length) return;
  out += "@length ";
  append_plain_number(out, *song.length);
  out += '\n';
}

void append_layers(std::string& out, const Song& song, const Song&) {
  for (const std::string& layer : song.layers) out += "@layer " + layer + '\n';
}

void append_position(std::string& out, const SongPosition& position) {
  if (const float* beat = position.beat()) {
    append_plain_number(out, *beat);
  } else {
    out += *position.marker();
  }
}

void append_markers(std::string& out, const Song& song, const Song&) {
  for (const Marker& marker : song.markers) {
    out += "@marker ";
    append_plain_number(out, marker.beat);
    out += ' ';
    out += marker.name;
    out += '\n';
  }
}

void append_jumps(std::string& out, const Song& song, const Song&) {
  for (const Jump& jump : song.jumps) {
    out += "@jump " + jump.target;
    format::append_jump_clauses(out, jump);
    out += '\n';
  }
}

void append_jump_ats(std::string& out, const Song& song, const Song&) {
  for (const JumpAt& jump_at : song.jump_ats) {
    out += "@jump-at ";
    append_position(out, jump_at.position);
    out += ' ' + jump_at.target;
    format::append_jump_clauses(out, jump_at);
    out += '\n';
  }
}

// A song never holds an import.
void append_nothing(std::string&, const Song&, const Song&) {}

// --- The table ----------------------------------------------------------------

struct SongDirectiveRow {
  std::string_view name;
  LineResult<SongDirective> (*read)(std::string_view value, std::size_t line_number);
  void (*write)(std::string& out, const Song& song, const Song& defaults);
  DirectiveHelp<Song> help;
};

LineResult<SongDirective> parse_layer(std::string_view value, std::size_t) {
  NameLog::use(NameKind::Layer, value);
  return SongDirective(LayerDirective{std::string(value)});
}

LineResult<SongDirective> parse_import(std::string_view, std::size_t) {
  return SongDirective(ImportDirective{});
}

// In the order they are written.
constexpr SongDirectiveRow song_directives[] = {
    {"tempo",
     parse_tempo,
     append_tempo,
     {"@tempo <bpm> [<end bpm>] | @tempo param <name> [<scale>]", tempo_value,
      "The tempo and the tempo it moves to, or the parameter it follows; always written."}},
    {"signature",
     parse_signature,
     append_signature,
     {"@signature <beats per bar> [<beat unit>]", signature_value, "The time signature."}},
    {"seed",
     parse_seed,
     append_seed,
     {"@seed <whole number>", nullptr, "The random seed, from 0 to 4294967295."}},
    {"param",
     parse_param,
     append_params,
     {"@param <name> [<default>]", nullptr,
      "A parameter of the song and its default value (0 when left out)."}},
    {"length",
     parse_length,
     append_length,
     {"@length <beats>", nullptr, "The length of the song."}},
    {"layer",
     parse_layer,
     append_layers,
     {"@layer <layer name>", nullptr, "A layer the song plays; one line for each."}},
    {"marker",
     parse_marker,
     append_markers,
     {"@marker <beat> <name>", nullptr, "A named position; written in order of beat."}},
    {"jump",
     parse_jump,
     append_jumps,
     {"@jump <target> [<clauses>]", nullptr, "A jump to a marker or a beat."}},
    {"jump-at",
     parse_jump_at,
     append_jump_ats,
     {"@jump-at <beat or marker> <target> [<clauses>]", nullptr,
      "A jump taken at a beat or a marker."}},
    // Read only to be refused: not a setting of a song.
    {"import", parse_import, append_nothing, {}},
};

}  // namespace

LineResult<SongDirective> parse_song_directive(std::string_view name, std::string_view value,
                                               std::size_t line_number) {
  for (const SongDirectiveRow& directive : song_directives) {
    if (directive.name == name) return directive.read(value, line_number);
  }
  return ParseError::line(line_number, "unknown global directive " + quoted(name));
}

std::vector<Directive> song_directives_described(std::string_view section) {
  return describe_rows<Song>(section, "@", song_directives);
}

LineResult<Song> parse_song_body(std::span<const std::string_view> lines) {
  SongReader reader(count_list_directives(lines));
  auto read = for_each_body_line(lines, [&](const BodyLine& line) -> LineResult<voromel::Ok> {
    const auto [first, rest] = header_format::split_at_first_white_space(line.text);
    if (!first.starts_with('@')) {
      return ParseError::line(line.line_number, "expected an '@' directive, got " + quoted(first));
    }
    const std::string_view value = rest ? header_format::trim(*rest) : std::string_view();
    auto directive = parse_song_directive(first.substr(1), value, line.line_number);
    if (!directive) return std::move(directive).error();
    return reader.apply(std::move(directive).value(), line.line_number);
  });
  // Markers defined twice are looked for once the lines are read: the first
  // comes before the line where reading stopped, if it stopped.
  if (auto repeated = reader.repeated_marker()) return std::move(*repeated);
  if (!read) return std::move(read).error();
  return std::move(reader).finish();
}

void append_song(std::string& out, const Song& song) {
  static const Song defaults{};
  for (const SongDirectiveRow& directive : song_directives) directive.write(out, song, defaults);
}

float written_end_tempo(float tempo, float ratio) {
  const float product = tempo * ratio;
  std::optional<NumberChoice> best;
  const auto consider = [&](float candidate) {
    if (std::bit_cast<std::uint32_t>(candidate / tempo) != std::bit_cast<std::uint32_t>(ratio)) {
      return;
    }
    // Neighbouring floats subtract exactly; only an infinite product needs care.
    const float distance = candidate == product ? 0.0f : std::fabs(candidate - product);
    const NumberChoice rank{plain_number_text(candidate).size(), distance, candidate};
    if (!best || rank < *best) best = rank;
  };
  consider(product);
  float below = product;
  float above = product;
  for (int step = 0; step < 4; ++step) {
    below = std::nextafter(below, -std::numeric_limits<float>::infinity());
    above = std::nextafter(above, std::numeric_limits<float>::infinity());
    consider(below);
    consider(above);
  }
  // From an infinite tempo every finite end tempo gives a ratio of zero, but
  // tempo × ratio is not a number and would read back as another ramp: a
  // zero of the ratio's sign reads back as that very ratio.
  if (!best) consider(std::copysign(0.0f, ratio));
  return best ? best->value : product;
}

voromel::Result<Song, header_format::ParseError> SongSection::parse(
    std::span<const std::string_view> lines) {
  auto song = parse_song_body(lines);
  if (!song) return header_format::ParseError::boxed(song.error());
  return std::move(song).value();
}

void SongSection::serialize(const Song& song, std::string& out) {
  append_song(out, song);
}

}  // namespace voromel::track::multisong
