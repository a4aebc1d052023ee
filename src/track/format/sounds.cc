#include "track/format/sounds.h"

#include <charconv>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "header_format/text.h"
#include "track/body_lines.h"
#include "track/described_directives.h"
#include "track/directive_table.h"
#include "track/format/curves.h"
#include "track/format/notes.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::format {

namespace {

using header_format::Tokens;
using song::Sound;
using song::VoiceParameter;
using voromel::Ok;

ParseError failure(std::size_t line_number, std::string message) {
  return ParseError::line(line_number, std::move(message));
}

struct VoiceKeyword {
  std::string_view name;
  VoiceParameter parameter;
};
constexpr VoiceKeyword voice_keywords[] = {
    {"formant-shift", VoiceParameter::FormantShift},
    {"tilt", VoiceParameter::Tilt},
    {"breathiness", VoiceParameter::Breathiness},
    {"vibrato", VoiceParameter::Vibrato},
};

std::optional<VoiceParameter> voice_parameter(std::string_view token) {
  for (const VoiceKeyword& keyword : voice_keywords) {
    if (keyword.name == token) return keyword.parameter;
  }
  return std::nullopt;
}

std::string_view voice_parameter_name(VoiceParameter parameter) {
  for (const VoiceKeyword& keyword : voice_keywords) {
    if (keyword.parameter == parameter) return keyword.name;
  }
  return {};
}

LineResult<Ok> apply_number(float& field, std::string_view name, Tokens& tokens,
                            std::size_t line_number) {
  auto value = parse_next_float(tokens, line_number, name);
  if (!value) return value.error();
  field = value.value();
  return Ok{};
}

LineResult<Ok> apply_stage(song::EnvelopeStage& field, std::string_view name, Tokens& tokens,
                           std::size_t line_number) {
  const auto duration = tokens.next();
  if (!duration) return failure(line_number, std::string(name) + " needs a duration");
  auto stage = parse_envelope(*duration, tokens.next(), line_number);
  if (!stage) return stage.error();
  field = stage.value();
  return Ok{};
}

LineResult<Ok> apply_modulation(song::Modulation& field, std::string_view name, Tokens& tokens,
                                std::size_t line_number) {
  const auto rate = tokens.next();
  if (!rate) return failure(line_number, std::string(name) + " needs <rate> <depth>");
  auto modulation = parse_lfo(*rate, tokens, line_number, name);
  if (!modulation) return modulation.error();
  field = std::move(modulation).value();
  return Ok{};
}

LineResult<std::uint64_t> ensemble_count(Tokens& tokens, std::size_t line_number) {
  const auto count = tokens.next();
  if (!count) return failure(line_number, "voice 'ensemble' needs a singer count");
  const auto value = parse_unsigned(*count, std::numeric_limits<std::uint64_t>::max());
  if (!value) return failure(line_number, "invalid ensemble count " + quoted(*count));
  return *value;
}

// The preset replaces the earlier one; overrides are appended to the earlier
// ones.
LineResult<Ok> apply_voice(Sound& sound, Tokens& tokens, std::size_t line_number) {
  const auto preset = tokens.next();
  if (!preset) return failure(line_number, "voice needs a preset name");
  std::vector<song::VoiceOverride> overrides;
  std::optional<std::uint64_t> ensemble;
  while (const auto token = tokens.next()) {
    if (*token == "ensemble") {
      auto count = ensemble_count(tokens, line_number);
      if (!count) return count.error();
      ensemble = count.value();
    } else if (const auto parameter = voice_parameter(*token)) {
      auto value = parse_next_float(tokens, line_number, *token);
      if (!value) return value.error();
      overrides.push_back({*parameter, value.value()});
    } else {
      return failure(line_number, "unknown voice parameter " + quoted(*token));
    }
  }
  sound.voice = std::string(*preset);
  sound.voice_overrides.insert(sound.voice_overrides.end(), overrides.begin(), overrides.end());
  if (ensemble) sound.ensemble = *ensemble;
  return Ok{};
}

LineResult<Ok> apply_steps(Sound& sound, Tokens& tokens, std::size_t line_number) {
  const auto token = tokens.next();
  if (!token) return failure(line_number, "steps needs a value");
  const auto count = parse_count(*token);
  if (!count) return failure(line_number, "invalid steps count " + quoted(*token));
  sound.steps = *count;
  return Ok{};
}

LineResult<Ok> apply_slide(Sound& sound, Tokens& tokens, std::size_t line_number) {
  auto amount = parse_next_float(tokens, line_number, "slide amount");
  if (!amount) return amount.error();
  auto time = parse_next_float(tokens, line_number, "slide time");
  if (!time) return time.error();
  sound.slide_amount = amount.value();
  sound.slide_time = time.value();
  return Ok{};
}

// "cutoff [env [duration [curve]]]": only the values given are set.
LineResult<Ok> apply_filter(Sound& sound, Tokens& tokens, std::size_t line_number) {
  auto cutoff = parse_next_float(tokens, line_number, "filter cutoff");
  if (!cutoff) return cutoff.error();
  std::optional<float> env;
  std::optional<song::EnvelopeStage> envelope;
  if (!tokens.empty()) {
    auto amount = parse_next_float(tokens, line_number, "filter env");
    if (!amount) return amount.error();
    env = amount.value();
  }
  if (const auto duration = tokens.next()) {
    auto stage = parse_envelope(*duration, tokens.next(), line_number);
    if (!stage) return stage.error();
    envelope = stage.value();
  }
  sound.filter_cutoff = cutoff.value();
  if (env) sound.filter_env = *env;
  if (envelope) sound.filter_envelope = *envelope;
  return Ok{};
}

LineResult<Ok> apply_arpeggio(Sound& sound, Tokens& tokens, std::size_t line_number) {
  const auto first = tokens.next();
  if (!first) return failure(line_number, "arpeggio needs offsets");
  auto arpeggio = parse_arpeggio(*first, tokens, line_number);
  if (!arpeggio) return arpeggio.error();
  sound.arpeggio = std::move(arpeggio).value();
  return Ok{};
}

// "@<low>..<high>" or "@ <low>..<high>" after the quoted file.
LineResult<Ok> read_sample_range(song::SampleZone& zone, std::string_view marker, Tokens& tokens,
                                 std::size_t line_number) {
  if (!marker.starts_with('@'))
    return failure(line_number, "unexpected sample token " + quoted(marker));
  std::string_view range = marker.substr(1);
  if (range.empty()) {
    const auto next = tokens.next();
    if (!next) return failure(line_number, "sample range needs '<low>..<high>' after '@'");
    range = *next;
  }
  const std::size_t dots = range.find("..");
  if (dots == std::string_view::npos) {
    return failure(line_number, "sample range must be '<low>..<high>'");
  }
  auto low = parse_float(range.substr(0, dots), line_number, "sample range low");
  if (!low) return low.error();
  auto high = parse_float(range.substr(dots + 2), line_number, "sample range high");
  if (!high) return high.error();
  zone.low = low.value();
  zone.high = high.value();
  return Ok{};
}

LineResult<Ok> apply_sample(Sound& sound, Tokens& tokens, std::size_t line_number) {
  const auto first = tokens.next();
  if (!first || !first->starts_with('"')) {
    return failure(line_number, "sample needs a quoted file: sample \"kick.wav\"");
  }
  auto file = read_quoted(first->substr(1), tokens, line_number);
  if (!file) return file.error();
  song::SampleZone zone;
  zone.file = std::move(file).value();
  if (const auto marker = tokens.next()) {
    if (auto ranged = read_sample_range(zone, *marker, tokens, line_number); !ranged) return ranged;
  }
  sound.samples.push_back(std::move(zone));
  return Ok{};
}

// --- Writing -----------------------------------------------------------------

void append_unsigned(std::string& out, std::uint64_t value) {
  char digits[20];
  const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, written.ptr);
}

void append_setting(std::string& out, std::string_view name, float value) {
  out += '@';
  out += name;
  out += ' ';
  append_number(out, value);
  out += '\n';
}

void append_sample(std::string& out, const song::SampleZone& zone) {
  out += "@sample \"";
  out += zone.file;
  out += '"';
  const float infinity = std::numeric_limits<float>::infinity();
  if (zone.low != -infinity || zone.high != infinity) {
    out += " @ ";
    append_number(out, zone.low);
    out += "..";
    append_number(out, zone.high);
  }
  out += '\n';
}

void append_voice(std::string& out, const Sound& sound) {
  out += "@voice ";
  out += sound.voice;
  for (const song::VoiceOverride& entry : sound.voice_overrides) {
    out += ' ';
    out += voice_parameter_name(entry.parameter);
    out += ' ';
    append_number(out, entry.value);
  }
  if (sound.ensemble > 1) {
    out += " ensemble ";
    append_unsigned(out, sound.ensemble);
  }
  out += '\n';
}

void append_filter(std::string& out, const Sound& sound) {
  out += "@filter ";
  append_number(out, sound.filter_cutoff);
  if (sound.filter_env != 0) {
    out += ' ';
    append_number(out, sound.filter_env);
    if (sound.filter_envelope.duration > 0) {
      out += ' ';
      append_number(out, sound.filter_envelope.duration);
      append_curve_suffix(out, sound.filter_envelope.curve);
    }
  }
  out += '\n';
}

// --- The table -----------------------------------------------------------------

// Each row's writer appends the directive's lines, and none where `sound`
// holds the value of `defaults`, or, for the settings that are off at or
// below it, a value that is not above it (not a number included).
using SoundReader = LineResult<Ok> (*)(Sound& sound, std::string_view name, Tokens& tokens,
                                       std::size_t line_number);
using SoundWriter = void (*)(std::string& out, std::string_view name, const Sound& sound,
                             const Sound& defaults);

struct SoundDirective {
  std::string_view name;
  SoundReader read;
  SoundWriter write;
  DirectiveHelp<Sound> help;
};

template <LineResult<Ok> (*apply)(Sound&, Tokens&, std::size_t)>
LineResult<Ok> read_unnamed(Sound& sound, std::string_view, Tokens& tokens,
                            std::size_t line_number) {
  return apply(sound, tokens, line_number);
}

template <float Sound::*field>
LineResult<Ok> read_number(Sound& sound, std::string_view name, Tokens& tokens,
                           std::size_t line_number) {
  return apply_number(sound.*field, name, tokens, line_number);
}

template <float Sound::*field>
void write_number(std::string& out, std::string_view name, const Sound& sound,
                  const Sound& defaults) {
  if (sound.*field != defaults.*field) append_setting(out, name, sound.*field);
}

// A level is its default within epsilon; not a number is never a default.
template <float Sound::*field>
void write_level(std::string& out, std::string_view name, const Sound& sound,
                 const Sound& defaults) {
  if (nan_or_beyond_epsilon_of(sound.*field, defaults.*field)) {
    append_setting(out, name, sound.*field);
  }
}

template <float Sound::*field>
void number_value(std::string& out, const Sound& sound) {
  append_number(out, sound.*field);
}

template <song::EnvelopeStage Sound::*field>
LineResult<Ok> read_stage(Sound& sound, std::string_view name, Tokens& tokens,
                          std::size_t line_number) {
  return apply_stage(sound.*field, name, tokens, line_number);
}

template <song::EnvelopeStage Sound::*field>
void write_stage(std::string& out, std::string_view name, const Sound& sound,
                 const Sound& defaults) {
  if (!((sound.*field).duration > (defaults.*field).duration)) return;
  out += '@';
  append_envelope(out, name, sound.*field);
  out += '\n';
}

template <song::EnvelopeStage Sound::*field>
void stage_value(std::string& out, const Sound& sound) {
  append_number(out, (sound.*field).duration);
  append_curve_suffix(out, (sound.*field).curve);
}

template <song::Modulation Sound::*field>
LineResult<Ok> read_modulation(Sound& sound, std::string_view name, Tokens& tokens,
                               std::size_t line_number) {
  return apply_modulation(sound.*field, name, tokens, line_number);
}

template <song::Modulation Sound::*field>
void write_modulation(std::string& out, std::string_view name, const Sound& sound,
                      const Sound& defaults) {
  if (!((sound.*field).depth > (defaults.*field).depth)) return;
  out += '@';
  append_modulation(out, name, sound.*field);
  out += '\n';
}

void write_samples(std::string& out, std::string_view, const Sound& sound, const Sound&) {
  for (const song::SampleZone& zone : sound.samples) append_sample(out, zone);
}

void write_voice(std::string& out, std::string_view, const Sound& sound, const Sound& defaults) {
  if (sound.voice != defaults.voice) append_voice(out, sound);
}

void write_arpeggio(std::string& out, std::string_view, const Sound& sound, const Sound& defaults) {
  if (sound.arpeggio.offsets == defaults.arpeggio.offsets) return;
  out += "@arpeggio";
  append_arpeggio_values(out, sound.arpeggio);
  out += '\n';
}

void write_steps(std::string& out, std::string_view, const Sound& sound, const Sound& defaults) {
  if (sound.steps == defaults.steps) return;
  out += "@steps ";
  append_unsigned(out, sound.steps);
  out += '\n';
}

void steps_value(std::string& out, const Sound& sound) {
  append_unsigned(out, sound.steps);
}

void write_slide(std::string& out, std::string_view, const Sound& sound, const Sound& defaults) {
  if (!(sound.slide_time > defaults.slide_time)) return;
  out += "@slide ";
  append_number(out, sound.slide_amount);
  out += ' ';
  append_number(out, sound.slide_time);
  out += '\n';
}

void write_filter(std::string& out, std::string_view, const Sound& sound, const Sound& defaults) {
  if (sound.filter_cutoff > defaults.filter_cutoff) append_filter(out, sound);
}

// In the order they are written, after the harmonics: first what the sound
// is made of, then how it is shaped over time.
constexpr SoundDirective sound_directives[] = {
    {"sample",
     read_unnamed<apply_sample>,
     write_samples,
     {"@sample \"<file>\" [@ <low>..<high>]", nullptr,
      "A sample file and the pitches it plays; each line adds one."}},
    {"voice",
     read_unnamed<apply_voice>,
     write_voice,
     {"@voice <preset> [<parameter> <value>]... [ensemble <singers>]", nullptr,
      "A voice preset, its parameters and its number of singers."}},
    {"arpeggio",
     read_unnamed<apply_arpeggio>,
     write_arpeggio,
     {"@arpeggio <offset>... rate <steps per second>", nullptr, "An arpeggio over the offsets."}},
    {"distortion",
     read_number<&Sound::distortion>,
     write_number<&Sound::distortion>,
     {"@distortion <amount>", number_value<&Sound::distortion>, "The distortion."}},
    {"detune",
     read_number<&Sound::detune>,
     write_number<&Sound::detune>,
     {"@detune <amount>", number_value<&Sound::detune>, "The detuning of the partials."}},
    {"vol-jitter",
     read_number<&Sound::vol_jitter>,
     write_number<&Sound::vol_jitter>,
     {"@vol-jitter <amount>", number_value<&Sound::vol_jitter>,
      "How much the volume varies from note to note."}},
    {"steps",
     read_unnamed<apply_steps>,
     write_steps,
     {"@steps <count>", steps_value, "The number of steps the pitch is quantised to."}},
    {"attack",
     read_stage<&Sound::attack>,
     write_stage<&Sound::attack>,
     {"@attack <duration> [<curve>]", stage_value<&Sound::attack>,
      "The envelope's attack; none at 0 or less."}},
    {"decay",
     read_stage<&Sound::decay>,
     write_stage<&Sound::decay>,
     {"@decay <duration> [<curve>]", stage_value<&Sound::decay>,
      "The envelope's decay; none at 0 or less."}},
    {"release",
     read_stage<&Sound::release>,
     write_stage<&Sound::release>,
     {"@release <duration> [<curve>]", stage_value<&Sound::release>,
      "The envelope's release; none at 0 or less."}},
    {"sustain",
     read_number<&Sound::sustain>,
     write_level<&Sound::sustain>,
     {"@sustain <level>", number_value<&Sound::sustain>, "The envelope's sustain level."}},
    {"noise",
     read_number<&Sound::noise>,
     write_number<&Sound::noise>,
     {"@noise <amount>", number_value<&Sound::noise>, "The noise mixed in."}},
    {"vibrato",
     read_modulation<&Sound::vibrato>,
     write_modulation<&Sound::vibrato>,
     {"@vibrato <rate> <depth> [<wave>]", nullptr,
      "Pitch modulation; none at a depth of 0 or less."}},
    {"tremolo",
     read_modulation<&Sound::tremolo>,
     write_modulation<&Sound::tremolo>,
     {"@tremolo <rate> <depth> [<wave>]", nullptr,
      "Volume modulation; none at a depth of 0 or less."}},
    {"slide",
     read_unnamed<apply_slide>,
     write_slide,
     {"@slide <amount> <time>", nullptr, "A pitch slide; none at a time of 0 or less."}},
    {"filter",
     read_unnamed<apply_filter>,
     write_filter,
     {"@filter <cutoff> [<env> [<duration> [<curve>]]]", nullptr,
      "A filter and its envelope; none at a cutoff of 0 or less."}},
    {"duty_sweep",
     read_number<&Sound::duty_sweep>,
     write_number<&Sound::duty_sweep>,
     {"@duty_sweep <amount>", number_value<&Sound::duty_sweep>,
      "How the pulse width moves over a note."}},
    {"volume",
     read_number<&Sound::volume>,
     write_level<&Sound::volume>,
     {"@volume <factor>", number_value<&Sound::volume>, "The volume."}},
};

}  // namespace

LineResult<Ok> apply_sound_directive(Sound& sound, std::string_view name,
                                     std::string_view arguments, std::size_t line_number) {
  Tokens tokens(arguments);
  for (const SoundDirective& directive : sound_directives) {
    if (directive.name == name) return directive.read(sound, name, tokens, line_number);
  }
  return failure(line_number, "unknown sound directive " + quoted(name));
}

std::vector<Directive> sound_directives_described(std::string_view section) {
  return describe_rows<Sound>(section, "@", sound_directives);
}

LineResult<Ok> apply_sound_line(Sound& sound, std::string_view text, std::size_t line_number) {
  if (!text.starts_with('@')) return apply_harmonic_line(sound, text, line_number);
  const auto [name, rest] = header_format::split_at_first_white_space(text.substr(1));
  return apply_sound_directive(sound, name, rest ? header_format::trim(*rest) : "", line_number);
}

voromel::Result<Sound, header_format::ParseError> parse_sound(
    std::span<const std::string_view> lines) {
  return parse_body<Sound>(lines, LineErrorWrap::AtLine, apply_sound_line);
}

void append_sound(std::string& out, const Sound& sound) {
  static const Sound defaults{};
  for (const song::Harmonic& harmonic : sound.harmonics) append_harmonic_line(out, harmonic);
  for (const SoundDirective& directive : sound_directives) {
    directive.write(out, directive.name, sound, defaults);
  }
}

}  // namespace voromel::track::format
