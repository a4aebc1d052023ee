#include "track/format/harmonics.h"

#include "track/format/curves.h"
#include "track/name_log.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::format {

namespace {

using header_format::Tokens;
using song::Harmonic;

// The names "tri" and "square" stand for other waves wherever a line names
// a wave or a shape, except after the "wave" keyword.
std::string renamed_wave(std::string_view name) {
  if (name == "tri") return "triangle";
  if (name == "square") return "soft_square";
  return std::string(name);
}

struct Alias {
  std::string_view token;
  std::string_view wave;
  float multiplier;
};
// Applied only to a first token without '@'.
constexpr Alias aliases[] = {
    {"sub", "triangle", 0.5f}, {"tri", "triangle", 1},       {"fifth", "sine", 1.5f},
    {"octave", "sine", 2},     {"square", "soft_square", 1},
};

bool is_wave_keyword(std::string_view token) {
  return token == "wave" || token.starts_with("wave@");
}

LineResult<Harmonic> parse_wave_form(std::string_view keyword, Tokens& tokens,
                                     std::size_t line_number) {
  Harmonic harmonic;
  if (keyword.size() > 4) {
    auto multiplier = parse_float(keyword.substr(5), line_number, "multiplier");
    if (!multiplier) return multiplier.error();
    harmonic.multiplier = multiplier.value();
  }
  const auto name = tokens.next();
  if (!name) return ParseError::line(line_number, "wave needs <name> <weight>");
  NameLog::use(NameKind::Wave, *name);
  harmonic.wave = std::string(*name);
  auto weight = parse_next_float(tokens, line_number, "wave weight");
  if (!weight) return weight.error();
  harmonic.weight = weight.value();
  return harmonic;
}

LineResult<voromel::Ok> name_and_multiplier(Harmonic& harmonic, std::string_view first,
                                            std::size_t line_number) {
  const std::size_t at = first.find('@');
  if (at != std::string_view::npos) {
    auto multiplier = parse_float(first.substr(at + 1), line_number, "multiplier");
    if (!multiplier) return multiplier.error();
    harmonic.wave = renamed_wave(first.substr(0, at));
    if (harmonic.wave == first.substr(0, at)) NameLog::use(NameKind::Wave, first.substr(0, at));
    harmonic.multiplier = multiplier.value();
    return voromel::Ok{};
  }
  harmonic.wave = std::string(first);
  for (const Alias& alias : aliases) {
    if (first == alias.token) {
      harmonic.wave = std::string(alias.wave);
      harmonic.multiplier = alias.multiplier;
    }
  }
  if (harmonic.wave == first) NameLog::use(NameKind::Wave, first);
  return voromel::Ok{};
}

LineResult<float> parse_duty(Tokens& tokens, std::size_t line_number) {
  const auto keyword = tokens.next();
  if (!keyword) return 0.0f;
  if (*keyword != "duty") {
    return ParseError::line(line_number, "unexpected harmonic token '" + std::string(*keyword) +
                                             "' (only 'duty <width>')");
  }
  auto width = parse_next_float(tokens, line_number, "duty");
  if (!width) return width.error();
  // Not-a-number fails this test too.
  if (!(width.value() >= 0 && width.value() <= 1)) {
    return ParseError::line(line_number, "duty must be within 0..1");
  }
  return width.value();
}

LineResult<Harmonic> parse_short_form(std::string_view first, Tokens& tokens,
                                      std::size_t line_number) {
  const auto weight_token = tokens.next();
  if (!weight_token) {
    return ParseError::line(line_number, "missing weight for '" + std::string(first) + "'");
  }
  // The weight is read before the multiplier, under the whole first token.
  auto weight = parse_float(*weight_token, line_number, first);
  if (!weight) return weight.error();
  Harmonic harmonic;
  harmonic.weight = weight.value();
  if (auto named = name_and_multiplier(harmonic, first, line_number); !named) return named.error();
  auto duty = parse_duty(tokens, line_number);
  if (!duty) return duty.error();
  harmonic.duty = duty.value();
  return harmonic;
}

// Not-a-number is written and read back.
bool writes_multiplier(float multiplier) {
  return nan_or_epsilon_or_more_from(multiplier, 1.0f);
}

// Names that the short form would read as something else: only the wave form
// gives them, so they carry no duty.
bool needs_wave_form(std::string_view name) {
  return name == "tri" || name == "square" || name == "wave" ||
         name.find('@') != std::string_view::npos;
}

// Names that the short form reads as an interval unless a multiplier follows.
bool is_interval_alias(std::string_view name) {
  return name == "sub" || name == "fifth" || name == "octave";
}

void append_multiplier(std::string& out, float multiplier) {
  out += '@';
  append_number(out, multiplier);
}

void append_wave_form(std::string& out, const Harmonic& harmonic) {
  out += "wave";
  if (writes_multiplier(harmonic.multiplier)) append_multiplier(out, harmonic.multiplier);
  out += ' ';
  out += harmonic.wave;
  out += ' ';
  append_number(out, harmonic.weight);
  out += '\n';
}

}  // namespace

LineResult<Harmonic> parse_harmonic(std::string_view line, std::size_t line_number) {
  Tokens tokens(line);
  const auto first = tokens.next();
  if (!first) return ParseError::line(line_number, "empty harmonic line");
  if (is_wave_keyword(*first)) return parse_wave_form(*first, tokens, line_number);
  return parse_short_form(*first, tokens, line_number);
}

LineResult<voromel::Ok> apply_harmonic_line(song::Sound& sound, std::string_view line,
                                            std::size_t line_number) {
  auto harmonic = parse_harmonic(line, line_number);
  if (!harmonic) return harmonic.error();
  sound.harmonics.push_back(std::move(harmonic).value());
  return voromel::Ok{};
}

void append_harmonic_line(std::string& out, const Harmonic& harmonic) {
  if (needs_wave_form(harmonic.wave)) {
    append_wave_form(out, harmonic);
    return;
  }
  // At column 0 a leading '#' would make the line a heading.
  if (harmonic.wave.starts_with('#')) out += "  ";
  out += harmonic.wave;
  if (writes_multiplier(harmonic.multiplier) || is_interval_alias(harmonic.wave)) {
    append_multiplier(out, harmonic.multiplier);
  }
  out += ' ';
  append_number(out, harmonic.weight);
  if (harmonic.duty > 0) {
    out += " duty ";
    append_number(out, harmonic.duty);
  }
  out += '\n';
}

LineResult<song::EnvelopeStage> parse_envelope(std::string_view duration,
                                               std::optional<std::string_view> curve,
                                               std::size_t line_number) {
  song::EnvelopeStage stage;
  auto seconds = parse_float(duration, line_number, "duration");
  if (!seconds) return seconds.error();
  stage.duration = seconds.value();
  if (curve) {
    auto shape = parse_curve(*curve, line_number);
    if (!shape) return shape.error();
    stage.curve = shape.value();
  }
  return stage;
}

void append_envelope(std::string& out, std::string_view name, const song::EnvelopeStage& stage) {
  out += name;
  out += ' ';
  append_number(out, stage.duration);
  append_curve_suffix(out, stage.curve);
}

LineResult<song::Modulation> parse_lfo(std::string_view rate, Tokens& tokens,
                                       std::size_t line_number, std::string_view name) {
  song::Modulation modulation;
  auto frequency = parse_float(rate, line_number, name);
  if (!frequency) return frequency.error();
  modulation.rate = frequency.value();
  const auto depth_token = tokens.next();
  if (!depth_token)
    return ParseError::line(line_number, std::string(name) + " needs <rate> <depth>");
  auto depth = parse_float(*depth_token, line_number, name);
  if (!depth) return depth.error();
  modulation.depth = depth.value();
  if (const auto shape = tokens.next()) {
    modulation.shape = renamed_wave(*shape);
    if (modulation.shape == *shape) NameLog::use(NameKind::Wave, *shape);
  }
  return modulation;
}

void append_modulation(std::string& out, std::string_view name,
                       const song::Modulation& modulation) {
  out += name;
  out += ' ';
  append_number(out, modulation.rate);
  out += ' ';
  append_number(out, modulation.depth);
  if (!modulation.shape.empty() && modulation.shape != "sine") {
    out += ' ';
    out += modulation.shape;
  }
}

}  // namespace voromel::track::format
