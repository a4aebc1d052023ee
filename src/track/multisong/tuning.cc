#include "track/multisong/tuning.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "header_format/text.h"
#include "track/body_lines.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::multisong {

using header_format::Tokens;
using voromel::Ok;

namespace {

std::string too_large(std::string_view token, std::uint64_t at_most, std::string_view where) {
  return "step count '" + std::string(token) + "' is too large (at most " +
         std::to_string(at_most) + std::string(where) + ")";
}

// Replaces the whole tuning, period included.
LineResult<Ok> apply_equal(song::Tuning& tuning, Tokens& tokens, std::size_t line_number,
                           EqualRatioBudget& budget) {
  const auto token = tokens.next();
  if (!token) return ParseError::line(line_number, "equal needs a step count");
  const auto steps = parse_unsigned(*token, std::numeric_limits<std::uint64_t>::max());
  if (!steps)
    return ParseError::line(line_number, "invalid step count '" + std::string(*token) + "'");
  if (*steps > max_equal_steps) {
    return ParseError::line(line_number, too_large(*token, max_equal_steps, ""));
  }
  const std::uint64_t left = budget.left();
  if (!budget.take(std::max<std::uint64_t>(*steps, 1))) {
    return ParseError::line(line_number, too_large(*token, left, " more steps in this document"));
  }
  tuning = song::Tuning::equal(*steps);
  return Ok{};
}

LineResult<Ok> apply_period(song::Tuning& tuning, Tokens& tokens, std::size_t line_number) {
  const auto token = tokens.next();
  if (!token) return ParseError::line(line_number, "period needs a ratio");
  auto period = parse_ratio(*token, line_number);
  if (!period) return std::move(period).error();
  tuning.period = period.value();
  return Ok{};
}

LineResult<Ok> append_ratios(song::Tuning& tuning, Tokens& tokens, std::size_t line_number) {
  while (const auto token = tokens.next()) {
    auto ratio = parse_ratio(*token, line_number);
    if (!ratio) return std::move(ratio).error();
    tuning.ratios.push_back(ratio.value());
  }
  return Ok{};
}

// After the last line the scale starts at 1: every ratio is divided by the
// first. A first ratio of 0 or 1 leaves the list as it is, and so does an
// infinite one, which would turn the first ratio into NaN and make the next
// reading divide the written list once more.
void finish_tuning(song::Tuning& tuning) {
  if (tuning.ratios.empty()) {
    tuning.ratios.push_back(1);
    return;
  }
  const float first = tuning.ratios.front();
  if (first == 0 || first == 1 || std::isinf(first)) return;
  for (float& ratio : tuning.ratios) ratio /= first;
}

bool writes_as_equal(const song::Tuning& tuning, EqualRatioBudget& budget) {
  const std::size_t steps = tuning.ratios.size();
  return steps >= 2 && steps <= max_equal_steps && is_equal_temperament(tuning.ratios) &&
         budget.take(steps);
}

void append_ratio_line(std::string& out, const std::vector<float>& ratios) {
  if (ratios.empty()) return;
  for (std::size_t i = 0; i < ratios.size(); ++i) {
    if (i > 0) out += ' ';
    append_number(out, ratios[i]);
  }
  out += '\n';
}

}  // namespace

bool EqualRatioBudget::take(std::uint64_t ratios) {
  if (ratios > left_) return false;
  left_ -= ratios;
  return true;
}

LineResult<Ok> apply_tuning_line(song::Tuning& tuning, std::string_view line,
                                 std::size_t line_number, EqualRatioBudget& budget) {
  Tokens tokens(line);
  const auto keyword = tokens.peek();
  if (!keyword) return ParseError::line(line_number, "empty tuning line");
  if (*keyword == "equal") {
    tokens.next();
    return apply_equal(tuning, tokens, line_number, budget);
  }
  if (*keyword == "period") {
    tokens.next();
    return apply_period(tuning, tokens, line_number);
  }
  return append_ratios(tuning, tokens, line_number);
}

bool is_equal_temperament(const std::vector<float>& ratios) {
  const std::size_t steps = ratios.size();
  for (std::size_t i = 0; i < steps; ++i) {
    const float expected = song::equal_step_ratio(i, steps);
    if (!(std::fabs(ratios[i] - expected) <= expected * 1e-5f)) return false;
  }
  return true;
}

void append_tuning(std::string& out, const song::Tuning& tuning, EqualRatioBudget& budget) {
  // NaN never equals the default, so a NaN period is written.
  if (nan_or_beyond_epsilon_of(tuning.period, 2.0f)) {
    out += "period ";
    append_number(out, tuning.period);
    out += '\n';
  } else if (writes_as_equal(tuning, budget)) {
    out += "equal ";
    out += std::to_string(tuning.ratios.size());
    out += '\n';
    return;
  }
  append_ratio_line(out, tuning.ratios);
}

voromel::Result<song::Tuning, header_format::ParseError> TuningSection::parse(
    std::span<const std::string_view> lines, EqualRatioBudget& budget) {
  auto tuning = parse_body<song::Tuning>(
      lines, LineErrorWrap::AtLine,
      [&](song::Tuning& read, std::string_view line, std::size_t line_number) {
        return apply_tuning_line(read, line, line_number, budget);
      });
  if (tuning) finish_tuning(tuning.value());
  return tuning;
}

void TuningSection::serialize(const song::Tuning& tuning, std::string& out,
                              EqualRatioBudget& budget) {
  append_tuning(out, tuning, budget);
}

voromel::Result<song::Tuning, header_format::ParseError> TuningSection::parse(
    std::span<const std::string_view> lines) {
  EqualRatioBudget budget;
  return parse(lines, budget);
}

void TuningSection::serialize(const song::Tuning& tuning, std::string& out) {
  EqualRatioBudget budget;
  append_tuning(out, tuning, budget);
}

}  // namespace voromel::track::multisong
