#include "track/format/effects.h"

#include <array>
#include <cmath>
#include <initializer_list>
#include <optional>

#include "track/name_log.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::format {

namespace {

using header_format::Tokens;
using song::Effect;

// The clamps send not-a-number to the lower bound: a clamped field always
// holds a value of its range, which is written and read back unchanged.
float at_least(float value, float low) {
  return value >= low ? value : low;
}
float within(float value, float low, float high) {
  const float raised = at_least(value, low);
  return raised <= high ? raised : high;
}

// One value of an effect: its label, and its default when it may be left out
// at the end of the text.
struct Field {
  std::string_view label;
  std::optional<float> fallback = std::nullopt;
};

template <std::size_t N>
LineResult<std::array<float, N>> read_fields(Tokens& tokens, std::string_view effect,
                                             const std::array<Field, N>& fields,
                                             std::size_t line_number) {
  std::array<float, N> values{};
  for (std::size_t i = 0; i < N; ++i) {
    if (fields[i].fallback && tokens.empty()) {
      values[i] = *fields[i].fallback;
      continue;
    }
    auto value = take_float(tokens, fields[i].label, effect, line_number);
    if (!value) return value.error();
    values[i] = value.value();
  }
  return values;
}

template <class Plain, class Param>
LineResult<Effect> parse_filter(Tokens& tokens, std::string_view type, std::size_t line_number) {
  if (tokens.peek() != "param") {
    auto cutoff = take_float(tokens, "cutoff", type, line_number);
    if (!cutoff) return cutoff.error();
    return Effect{Plain{cutoff.value()}};
  }
  tokens.next();
  const std::string effect = std::string(type) + " param";
  const auto name = tokens.next();
  if (!name) return ParseError::line(line_number, "effect '" + effect + "' needs a parameter name");
  NameLog::use(NameKind::Parameter, *name);
  auto bounds =
      read_fields<2>(tokens, effect, {Field{"max cutoff"}, Field{"min cutoff"}}, line_number);
  if (!bounds) return bounds.error();
  const auto [max_cutoff, min_cutoff] = bounds.value();
  return Effect{Param{std::string(*name), max_cutoff, min_cutoff}};
}

LineResult<Effect> parse_echo(Tokens& tokens, std::size_t line_number) {
  auto values =
      read_fields<3>(tokens, "echo", {Field{"delay"}, {"feedback"}, {"mix"}}, line_number);
  if (!values) return values.error();
  const auto [delay, feedback, mix] = values.value();
  return Effect{Effect::Echo{delay, feedback, mix}};
}

LineResult<Effect> parse_tremolo(Tokens& tokens, std::size_t line_number) {
  auto values = read_fields<2>(tokens, "tremolo", {Field{"rate"}, {"depth"}}, line_number);
  if (!values) return values.error();
  const auto [rate, depth] = values.value();
  return Effect{Effect::Tremolo{rate, depth}};
}

LineResult<Effect> parse_bitcrusher(Tokens& tokens, std::size_t line_number) {
  auto bits = take_float(tokens, "bits", "bitcrusher", line_number);
  if (!bits) return bits.error();
  // Clamped first, so the conversion drops only the fraction.
  return Effect{Effect::Bitcrusher{static_cast<std::uint8_t>(within(bits.value(), 1, 16))}};
}

LineResult<Effect> parse_compressor(Tokens& tokens, std::size_t line_number) {
  auto values = read_fields<4>(
      tokens, "compressor",
      {Field{"threshold"}, {"ratio"}, {"compressor attack", 0.005f}, {"compressor release", 0.1f}},
      line_number);
  if (!values) return values.error();
  const auto [threshold, ratio, attack, release] = values.value();
  return Effect{Effect::Compressor{within(threshold, 0, 1), at_least(ratio, 1), at_least(attack, 0),
                                   at_least(release, 0)}};
}

LineResult<Effect> parse_eq(Tokens& tokens, std::size_t line_number) {
  auto values = read_fields<4>(
      tokens, "eq",
      {Field{"low_db"}, {"high_db"}, {"eq low_freq", 300.0f}, {"eq high_freq", 3000.0f}},
      line_number);
  if (!values) return values.error();
  const auto [low_db, high_db, low_freq, high_freq] = values.value();
  return Effect{Effect::Eq{low_db, high_db, at_least(low_freq, 1), at_least(high_freq, 1)}};
}

LineResult<Effect> parse_delay_sync(Tokens& tokens, std::size_t line_number) {
  auto values =
      read_fields<3>(tokens, "delay_sync", {Field{"beats"}, {"feedback"}, {"mix"}}, line_number);
  if (!values) return values.error();
  const auto [beats, feedback, mix] = values.value();
  return Effect{Effect::DelaySync{at_least(beats, 0), feedback, mix}};
}

// "reverb" takes a room size, or anything that is not a number as the name
// of a preset.
LineResult<Effect> parse_reverb(Tokens& tokens, std::size_t line_number) {
  const auto first = tokens.peek();
  if (first && !is_number(*first)) {
    tokens.next();
    NameLog::use(NameKind::ReverbPreset, *first);
    return Effect{Effect::ReverbPresetName{std::string(*first)}};
  }
  auto values = read_fields<4>(tokens, "reverb",
                               {Field{"room_size"}, {"decay"}, {"mix"}, {"reverb predelay", 0.01f}},
                               line_number);
  if (!values) return values.error();
  const auto [room_size, decay, mix, predelay] = values.value();
  return Effect{Effect::Reverb{within(room_size, 0, 1), within(decay, 0, 1), within(mix, 0, 1),
                               at_least(predelay, 0)}};
}

void append_fields(std::string& out, std::string_view keyword,
                   std::initializer_list<float> values) {
  out += keyword;
  for (const float value : values) {
    out += ' ';
    append_number(out, value);
  }
}

void append_param_filter(std::string& out, std::string_view keyword, const std::string& name,
                         float max_cutoff, float min_cutoff) {
  out += keyword;
  out += " param ";
  out += name;
  append_fields(out, "", {max_cutoff, min_cutoff});
}

template <class... Visitors>
struct Overloaded : Visitors... {
  using Visitors::operator()...;
};
template <class... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

}  // namespace

LineResult<float> take_float(Tokens& tokens, std::string_view label, std::string_view effect,
                             std::size_t line_number) {
  const auto token = tokens.next();
  if (!token) {
    return ParseError::line(line_number,
                            "effect '" + std::string(effect) + "' missing " + std::string(label));
  }
  return parse_float(*token, line_number, label);
}

LineResult<Effect> parse_effect(std::string_view text, std::size_t line_number) {
  Tokens tokens(text);
  const auto type = tokens.next();
  if (!type) return ParseError::line(line_number, "effect needs a type");
  if (*type == "lowpass") {
    return parse_filter<Effect::Lowpass, Effect::LowpassParam>(tokens, *type, line_number);
  }
  if (*type == "highpass") {
    return parse_filter<Effect::Highpass, Effect::HighpassParam>(tokens, *type, line_number);
  }
  if (*type == "echo") return parse_echo(tokens, line_number);
  if (*type == "tremolo") return parse_tremolo(tokens, line_number);
  if (*type == "bitcrusher") return parse_bitcrusher(tokens, line_number);
  if (*type == "compressor") return parse_compressor(tokens, line_number);
  if (*type == "eq") return parse_eq(tokens, line_number);
  if (*type == "delay_sync") return parse_delay_sync(tokens, line_number);
  if (*type == "reverb") return parse_reverb(tokens, line_number);
  return ParseError::line(line_number, "unknown effect '" + std::string(*type) + "'");
}

void append_effect(std::string& out, const Effect& effect) {
  std::visit(Overloaded{
                 [&](const Effect::Lowpass& e) { append_fields(out, "lowpass", {e.cutoff}); },
                 [&](const Effect::Highpass& e) { append_fields(out, "highpass", {e.cutoff}); },
                 [&](const Effect::LowpassParam& e) {
                   append_param_filter(out, "lowpass", e.name, e.max_cutoff, e.min_cutoff);
                 },
                 [&](const Effect::HighpassParam& e) {
                   append_param_filter(out, "highpass", e.name, e.max_cutoff, e.min_cutoff);
                 },
                 [&](const Effect::Echo& e) {
                   append_fields(out, "echo", {e.delay, e.feedback, e.mix});
                 },
                 [&](const Effect::Tremolo& e) {
                   append_fields(out, "tremolo", {e.rate, e.depth});
                 },
                 [&](const Effect::Bitcrusher& e) {
                   append_fields(out, "bitcrusher", {static_cast<float>(e.bits)});
                 },
                 [&](const Effect::Compressor& e) {
                   append_fields(out, "compressor", {e.threshold, e.ratio, e.attack, e.release});
                 },
                 [&](const Effect::Eq& e) {
                   append_fields(out, "eq", {e.low_db, e.high_db, e.low_freq, e.high_freq});
                 },
                 [&](const Effect::DelaySync& e) {
                   append_fields(out, "delay_sync", {e.beats, e.feedback, e.mix});
                 },
                 [&](const Effect::Reverb& e) {
                   append_fields(out, "reverb", {e.room_size, e.decay, e.mix, e.predelay});
                 },
                 [&](const Effect::ReverbPresetName& e) {
                   out += "reverb ";
                   out += e.name;
                 },
             },
             effect.kind);
}

std::string format_effect(const Effect& effect) {
  std::string out;
  append_effect(out, effect);
  return out;
}

}  // namespace voromel::track::format
