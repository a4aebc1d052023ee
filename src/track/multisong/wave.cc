#include "track/multisong/wave.h"

#include <array>
#include <optional>

#include "header_format/text.h"
#include "track/body_lines.h"
#include "track/format/curves.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::multisong {

namespace {

constexpr std::size_t max_vertex_tokens = 3;

struct VertexTokens {
  std::array<std::string_view, max_vertex_tokens> parts;
  std::size_t count = 0;
};

// The tokens of a vertex line, counted before any of them is read.
LineResult<VertexTokens> vertex_tokens(std::string_view line, std::size_t line_number) {
  header_format::Tokens tokens(line);
  VertexTokens vertex;
  while (vertex.count < max_vertex_tokens && !tokens.empty()) {
    vertex.parts[vertex.count++] = *tokens.next();
  }
  if (vertex.count < 2 || !tokens.empty()) {
    return ParseError::line(line_number, "wave vertex needs '<x> <y>' plus an optional curve");
  }
  return vertex;
}

LineResult<voromel::Ok> append_wave_point(Wave& wave, std::string_view line,
                                          std::size_t line_number) {
  const song::WavePoint* previous = wave.points.empty() ? nullptr : &wave.points.back();
  auto point = parse_wave_point(previous, line, line_number);
  if (!point) return std::move(point).error();
  wave.points.push_back(point.value());
  return voromel::Ok{};
}

}  // namespace

LineResult<song::WavePoint> parse_wave_point(const song::WavePoint* previous, std::string_view line,
                                             std::size_t line_number) {
  auto tokens = vertex_tokens(line, line_number);
  if (!tokens) return std::move(tokens).error();
  const auto& [parts, count] = tokens.value();
  auto x = parse_float(parts[0], line_number, "wave x");
  if (!x) return std::move(x).error();
  auto y = parse_float(parts[1], line_number, "wave y");
  if (!y) return std::move(y).error();
  // Written so that NaN fails too: a vertex position must lie within 0..=1.
  if (!(x.value() >= 0 && x.value() <= 1)) {
    return ParseError::line(line_number, "wave x must be within 0..=1");
  }
  if (previous != nullptr && previous->x > x.value()) {
    return ParseError::line(line_number, "wave vertices must run in non-decreasing x");
  }
  song::WavePoint point{x.value(), y.value(), song::Curve::ease()};
  if (count == max_vertex_tokens) {
    auto curve = format::parse_curve(parts[2], line_number);
    if (!curve) return std::move(curve).error();
    point.curve = curve.value();
  }
  return point;
}

voromel::Result<Wave, header_format::ParseError> WaveSection::parse(
    std::span<const std::string_view> lines) {
  return parse_body<Wave>(lines, LineErrorWrap::AtLine, append_wave_point);
}

namespace {

void append_vertex(std::string& out, const song::WavePoint& point) {
  append_number(out, point.x);
  out += ' ';
  append_number(out, point.y);
  format::append_curve_suffix(out, point.curve);
  out += '\n';
}

}  // namespace

void WaveSection::serialize(const Wave& wave, std::string& out) {
  for (const song::WavePoint& point : wave.points) append_vertex(out, point);
}

voromel::Result<voromel::Ok, header_format::ParseError> WaveSection::write(
    std::span<const std::string_view> lines, std::string& out, WriteMemo&) {
  std::optional<song::WavePoint> previous;
  return for_each_body_line(
      lines, [&](const BodyLine& line) -> voromel::Result<voromel::Ok, header_format::ParseError> {
        auto point = parse_wave_point(previous ? &*previous : nullptr, line.text, line.line_number);
        if (!point) return header_format::ParseError::at_line(line.line_number, point.error());
        previous = point.value();
        append_vertex(out, *previous);
        return voromel::Ok{};
      });
}

}  // namespace voromel::track::multisong
