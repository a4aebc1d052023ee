#include "track/format/sounds.h"

#include <charconv>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "header_format/text.h"
#include "track/body_lines.h"
#include "track/directive_names.h"
#include "track/format/curves.h"
#include "track/format/notes.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::format {

namespace {

using header_format::Ok;
using header_format::Tokens;
using song::Sound;
using song::VoiceParameter;

ParseError failure(std::size_t line_number, std::string message) {
  return ParseError::line(line_number, std::move(message));
}

struct NumberSetting {
  std::string_view name;
  float Sound::*field;
};
constexpr NumberSetting number_settings[] = {
    {"noise", &Sound::noise},           {"volume", &Sound::volume},
    {"detune", &Sound::detune},         {"sustain", &Sound::sustain},
    {"distortion", &Sound::distortion}, {"vol-jitter", &Sound::vol_jitter},
    {"duty_sweep", &Sound::duty_sweep},
};

struct StageSetting {
  std::string_view name;
  song::EnvelopeStage Sound::*field;
};
constexpr StageSetting stage_settings[] = {
    {"attack", &Sound::attack}, {"decay", &Sound::decay}, {"release", &Sound::release}};

struct ModulationSetting {
  std::string_view name;
  song::Modulation Sound::*field;
};
constexpr ModulationSetting modulation_settings[] = {{"vibrato", &Sound::vibrato},
                                                     {"tremolo", &Sound::tremolo}};

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

// The directives whose value lands in one field of a table above.
std::optional<LineResult<Ok>> apply_field_directive(Sound& sound, std::string_view name,
                                                    Tokens& tokens, std::size_t line_number) {
  for (const NumberSetting& setting : number_settings) {
    if (name == setting.name) return apply_number(sound.*setting.field, name, tokens, line_number);
  }
  for (const StageSetting& setting : stage_settings) {
    if (name == setting.name) return apply_stage(sound.*setting.field, name, tokens, line_number);
  }
  for (const ModulationSetting& setting : modulation_settings) {
    if (name == setting.name)
      return apply_modulation(sound.*setting.field, name, tokens, line_number);
  }
  return std::nullopt;
}

// The other directives, each with its own reader.
struct OtherDirective {
  std::string_view name;
  LineResult<Ok> (*apply)(Sound& sound, Tokens& tokens, std::size_t line_number);
};
constexpr OtherDirective other_directives[] = {
    {"voice", apply_voice},   {"steps", apply_steps},       {"slide", apply_slide},
    {"filter", apply_filter}, {"arpeggio", apply_arpeggio}, {"sample", apply_sample},
};

}  // namespace

LineResult<Ok> apply_sound_directive(Sound& sound, std::string_view name,
                                     std::string_view arguments, std::size_t line_number) {
  Tokens tokens(arguments);
  if (auto applied = apply_field_directive(sound, name, tokens, line_number)) return *applied;
  for (const OtherDirective& directive : other_directives) {
    if (directive.name == name) return directive.apply(sound, tokens, line_number);
  }
  return failure(line_number, "unknown sound directive " + quoted(name));
}

std::vector<std::string_view> sound_directive_names() {
  std::vector<std::string_view> names;
  for (const NumberSetting& setting : number_settings) names.push_back(setting.name);
  for (const StageSetting& setting : stage_settings) names.push_back(setting.name);
  for (const ModulationSetting& setting : modulation_settings) names.push_back(setting.name);
  for (const OtherDirective& directive : other_directives) names.push_back(directive.name);
  return names;
}

LineResult<Ok> apply_sound_line(Sound& sound, std::string_view text, std::size_t line_number) {
  if (!text.starts_with('@')) return apply_harmonic_line(sound, text, line_number);
  const auto [name, rest] = header_format::split_at_first_white_space(text.substr(1));
  return apply_sound_directive(sound, name, rest ? header_format::trim(*rest) : "", line_number);
}

header_format::Result<Sound, header_format::ParseError> parse_sound(
    std::span<const std::string_view> lines) {
  return parse_body<Sound>(lines, LineErrorWrap::AtLine, apply_sound_line);
}

namespace {

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

void append_arpeggio(std::string& out, const song::Arpeggio& arpeggio) {
  out += "@arpeggio";
  append_arpeggio_values(out, arpeggio);
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

// Rows 1 to 8 of the fixed order: what the sound is made of.
void append_sources(std::string& out, const Sound& sound) {
  for (const song::Harmonic& harmonic : sound.harmonics) append_harmonic_line(out, harmonic);
  for (const song::SampleZone& zone : sound.samples) append_sample(out, zone);
  if (!sound.voice.empty()) append_voice(out, sound);
  if (!sound.arpeggio.offsets.empty()) append_arpeggio(out, sound.arpeggio);
  if (sound.distortion != 0) append_setting(out, "distortion", sound.distortion);
  if (sound.detune != 0) append_setting(out, "detune", sound.detune);
  if (sound.vol_jitter != 0) append_setting(out, "vol-jitter", sound.vol_jitter);
  if (sound.steps != 0) {
    out += "@steps ";
    append_unsigned(out, sound.steps);
    out += '\n';
  }
}

// Rows 9 to 19: how it is shaped over time.
void append_shaping(std::string& out, const Sound& sound) {
  for (const StageSetting& setting : stage_settings) {
    const song::EnvelopeStage& stage = sound.*setting.field;
    if (stage.duration > 0) {
      out += '@';
      append_envelope(out, setting.name, stage);
      out += '\n';
    }
  }
  if (nan_or_beyond_epsilon_of(sound.sustain, 1.0f)) append_setting(out, "sustain", sound.sustain);
  if (sound.noise != 0) append_setting(out, "noise", sound.noise);
  for (const ModulationSetting& setting : modulation_settings) {
    const song::Modulation& modulation = sound.*setting.field;
    if (modulation.depth > 0) {
      out += '@';
      append_modulation(out, setting.name, modulation);
      out += '\n';
    }
  }
  if (sound.slide_time > 0) {
    out += "@slide ";
    append_number(out, sound.slide_amount);
    out += ' ';
    append_number(out, sound.slide_time);
    out += '\n';
  }
  if (sound.filter_cutoff > 0) append_filter(out, sound);
  if (sound.duty_sweep != 0) append_setting(out, "duty_sweep", sound.duty_sweep);
  if (nan_or_beyond_epsilon_of(sound.volume, 1.0f)) append_setting(out, "volume", sound.volume);
}

}  // namespace

void append_sound(std::string& out, const Sound& sound) {
  append_sources(out, sound);
  append_shaping(out, sound);
}

}  // namespace voromel::track::format
