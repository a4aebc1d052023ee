#include "track/format/jumps.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "track/name_log.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::format {

using header_format::Tokens;
using song::Comparison;
using song::Jump;
using song::JumpCondition;
using song::JumpTransition;
using song::TempoChange;

namespace {

constexpr std::array<std::pair<Comparison, std::string_view>, 6> comparison_texts = {{
    {Comparison::Less, "<"},
    {Comparison::LessOrEqual, "<="},
    {Comparison::Greater, ">"},
    {Comparison::GreaterOrEqual, ">="},
    {Comparison::Equal, "=="},
    {Comparison::NotEqual, "!="},
}};

// The carry factor is marked by a multiplication sign or its ASCII stand-in.
constexpr std::string_view times_sign = "\u00d7";

bool is_keyword(std::string_view token) {
  return token == "tempo" || token == "via" || token == "if";
}

// Takes the next token when it equals `keyword`.
bool take_keyword(Tokens& tokens, std::string_view keyword) {
  if (tokens.peek() != keyword) return false;
  tokens.next();
  return true;
}

LineResult<float> parse_skip(Tokens& tokens, std::size_t line_number, std::string_view label) {
  const auto token = tokens.peek();
  if (!token || is_keyword(*token)) return 0.0f;
  tokens.next();
  return parse_float(*token, line_number, std::string(label) + " skip");
}

LineResult<TempoChange> parse_tempo_clause(Tokens& tokens, std::size_t line_number,
                                           std::string_view label) {
  if (!take_keyword(tokens, "tempo")) return TempoChange::none();
  const auto token = tokens.next();
  if (!token) return ParseError::line(line_number, std::string(label) + " 'tempo' needs a value");
  std::string_view factor = *token;
  if (factor.starts_with(times_sign) || factor.starts_with('*')) {
    factor.remove_prefix(factor.starts_with('*') ? 1 : times_sign.size());
    auto value = parse_float(factor, line_number, "jump tempo carry factor");
    if (!value) return std::move(value).error();
    return TempoChange::carry_factor(value.value());
  }
  auto value = parse_float(*token, line_number, "jump tempo");
  if (!value) return std::move(value).error();
  return TempoChange::absolute(value.value());
}

LineResult<std::optional<JumpTransition>> parse_transition(Tokens& tokens, std::size_t line_number,
                                                           std::string_view label) {
  if (!take_keyword(tokens, "via")) return std::optional<JumpTransition>();
  const auto motif = tokens.next();
  if (!motif)
    return ParseError::line(line_number, std::string(label) + " 'via' needs a motif name");
  const auto keyword = tokens.next();
  if (!keyword)
    return ParseError::line(line_number, std::string(label) + " 'via' needs 'sound <name>'");
  if (*keyword != "sound")
    return ParseError::line(line_number, "expected 'sound', got " + quoted(*keyword));
  const auto sound = tokens.next();
  if (!sound)
    return ParseError::line(line_number, std::string(label) + " 'via sound' needs a sound name");
  NameLog::use(NameKind::Motif, *motif);
  NameLog::use(NameKind::Sound, *sound);
  return std::optional<JumpTransition>(JumpTransition{std::string(*motif), std::string(*sound)});
}

std::optional<Comparison> comparison_from_text(std::string_view text) {
  for (const auto& [comparison, spelling] : comparison_texts) {
    if (spelling == text) return comparison;
  }
  return std::nullopt;
}

LineResult<float> parse_condition_value(std::string_view token, std::size_t line_number,
                                        JumpCondition::Source source) {
  if (source != JumpCondition::Source::Plays)
    return parse_float(token, line_number, "condition value");
  const auto count = parse_count(token);
  if (!count) {
    return ParseError::line(line_number,
                            "plays condition needs a whole number, got " + quoted(token));
  }
  return static_cast<float>(*count);
}

void read_source(std::string_view token, JumpCondition& condition) {
  if (token == "plays") {
    condition.source = JumpCondition::Source::Plays;
  } else if (token == "random") {
    condition.source = JumpCondition::Source::Random;
  } else {
    condition.source = JumpCondition::Source::Parameter;
    condition.parameter = std::string(token);
    NameLog::use(NameKind::Parameter, token);
  }
}

// The condition after "if": source, comparison, value, and nothing after.
LineResult<JumpCondition> parse_condition(Tokens& tokens, std::size_t line_number) {
  JumpCondition condition;
  const auto source = tokens.next();
  if (!source) return ParseError::line(line_number, "condition needs a source");
  read_source(*source, condition);
  const auto operator_token = tokens.next();
  if (!operator_token) return ParseError::line(line_number, "condition needs a comparison");
  const auto comparison = comparison_from_text(*operator_token);
  if (!comparison)
    return ParseError::line(line_number, "unknown comparison " + quoted(*operator_token));
  condition.comparison = *comparison;
  const auto value_token = tokens.next();
  if (!value_token) return ParseError::line(line_number, "condition needs a value");
  auto value = parse_condition_value(*value_token, line_number, condition.source);
  if (!value) return std::move(value).error();
  condition.value = value.value();
  if (!tokens.empty()) return ParseError::line(line_number, "extra tokens after condition");
  return condition;
}

LineResult<std::optional<JumpCondition>> parse_condition_clause(Tokens& tokens,
                                                                std::size_t line_number) {
  const auto token = tokens.next();
  if (!token) return std::optional<JumpCondition>();
  if (*token != "if") return ParseError::line(line_number, "expected 'if', got " + quoted(*token));
  auto condition = parse_condition(tokens, line_number);
  if (!condition) return std::move(condition).error();
  return std::optional<JumpCondition>(std::move(condition).value());
}

// A plays count is written as the whole number the float holds, truncated and
// clamped to the unsigned 32-bit range; not-a-number becomes 0.
std::uint32_t plays_count(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 4294967296.0f) return std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(value);
}

void append_condition(std::string& out, const JumpCondition& condition) {
  out += " if ";
  switch (condition.source) {
    case JumpCondition::Source::Plays:
      out += "plays";
      break;
    case JumpCondition::Source::Random:
      out += "random";
      break;
    case JumpCondition::Source::Parameter:
      out += condition.parameter;
      break;
  }
  out += ' ';
  out += comparison_text(condition.comparison);
  out += ' ';
  if (condition.source == JumpCondition::Source::Plays) {
    out += std::to_string(plays_count(condition.value));
  } else {
    append_plain_number(out, condition.value);
  }
}

void append_tempo_change(std::string& out, const TempoChange& change) {
  switch (change.kind) {
    case TempoChange::Kind::None:
      return;
    case TempoChange::Kind::Absolute:
      out += " tempo ";
      break;
    case TempoChange::Kind::CarryFactor:
      out += " tempo ";
      out += times_sign;
      break;
  }
  append_plain_number(out, change.value);
}

}  // namespace

LineResult<Jump> parse_jump_clauses(Tokens& tokens, std::size_t line_number, std::string_view label,
                                    std::string target) {
  Jump jump;
  jump.target = std::move(target);
  auto skip = parse_skip(tokens, line_number, label);
  if (!skip) return std::move(skip).error();
  jump.skip = skip.value();
  auto tempo_change = parse_tempo_clause(tokens, line_number, label);
  if (!tempo_change) return std::move(tempo_change).error();
  jump.tempo_change = tempo_change.value();
  auto transition = parse_transition(tokens, line_number, label);
  if (!transition) return std::move(transition).error();
  jump.transition = std::move(transition).value();
  auto condition = parse_condition_clause(tokens, line_number);
  if (!condition) return std::move(condition).error();
  jump.condition = std::move(condition).value();
  return jump;
}

void append_jump_clauses(std::string& out, const Jump& jump) {
  // Negative zero is no skip either; not-a-number is written.
  if (jump.skip != 0.0f) {
    out += ' ';
    append_plain_number(out, jump.skip);
  }
  append_tempo_change(out, jump.tempo_change);
  if (jump.transition) {
    out += " via ";
    out += jump.transition->motif;
    out += " sound ";
    out += jump.transition->sound;
  }
  if (jump.condition) append_condition(out, *jump.condition);
}

std::string_view comparison_text(Comparison comparison) {
  for (const auto& [candidate, spelling] : comparison_texts) {
    if (candidate == comparison) return spelling;
  }
  return "<";
}

}  // namespace voromel::track::format
