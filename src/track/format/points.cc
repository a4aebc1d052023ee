#include "track/format/points.h"

#include "header_format/text.h"
#include "track/format/curves.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::format {

namespace {

using song::WavePoint;

// One comma-separated part: exactly two or three tokens. The count is checked
// first, then x, then y, then the curve.
LineResult<WavePoint> parse_point(std::string_view part, std::size_t line_number) {
  header_format::Tokens tokens(part);
  const auto x_token = tokens.next();
  const auto y_token = tokens.next();
  const auto curve_text = tokens.next();
  if (!y_token || tokens.next()) {
    return ParseError::line(line_number, "envelope point needs '<x> <y> [curve]'");
  }
  WavePoint point;
  auto x = parse_float(*x_token, line_number, "envelope x");
  if (!x) return std::move(x).error();
  point.x = x.value();
  auto y = parse_float(*y_token, line_number, "envelope y");
  if (!y) return std::move(y).error();
  point.y = y.value();
  if (curve_text) {
    auto curve = parse_curve(*curve_text, line_number);
    if (!curve) return std::move(curve).error();
    point.curve = curve.value();
  }
  return point;
}

}  // namespace

LineResult<std::vector<WavePoint>> parse_wave_points(std::string_view text,
                                                     std::size_t line_number) {
  std::vector<WavePoint> points;
  while (true) {
    const std::size_t comma = text.find(',');
    auto point = parse_point(text.substr(0, comma), line_number);
    if (!point) return std::move(point).error();
    points.push_back(point.value());
    if (comma == std::string_view::npos) return points;
    text.remove_prefix(comma + 1);
  }
}

void append_curve_points(std::string& out, const std::vector<WavePoint>& points) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (i > 0) out += ", ";
    append_number(out, points[i].x);
    out += ' ';
    append_number(out, points[i].y);
    append_curve_suffix(out, points[i].curve);
  }
}

std::string format_curve_points(const std::vector<WavePoint>& points) {
  std::string out;
  append_curve_points(out, points);
  return out;
}

}  // namespace voromel::track::format
