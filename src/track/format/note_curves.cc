#include "track/format/note_curves.h"

#include <string>

#include "header_format/text.h"
#include "track/format/points.h"

// All arithmetic here is in 32-bit floats, one operation at a time in the
// order written: the written durations and points depend on every rounding.
namespace voromel::track::format {

using song::Curve;
using song::Note;
using song::NoteSegment;
using song::WavePoint;

float duration_sum(const std::vector<NoteSegment>& segments) {
  // Negative zero is the identity of addition: an empty sum keeps the sign
  // of what it is added to.
  float sum = -0.0f;
  for (const NoteSegment& segment : segments) sum += segment.duration;
  return sum;
}

float total_duration(const Note& note) {
  return duration_sum(note.segments) + note.last_segment.duration;
}

LineResult<header_format::Ok> apply_note_curve(Note& note, std::string_view line,
                                               std::size_t line_number) {
  const auto [keyword, point_text] = header_format::split_at_first_white_space(line);
  if (!point_text) return ParseError::line(line_number, "note curve needs points");
  // The points are read before the keyword is looked at.
  auto points = parse_wave_points(*point_text, line_number);
  if (!points) return std::move(points).error();
  if (keyword == "volume") {
    note.volume_curve = std::move(points).value();
  } else if (keyword == "pitch") {
    set_pitch_curve(note, points.value());
  } else {
    return ParseError::line(line_number, "unknown note curve '" + std::string(keyword) + "'");
  }
  return header_format::Ok{};
}

void set_pitch_curve(Note& note, const std::vector<WavePoint>& points) {
  Trajectory trajectory = trajectory_from_curve(total_duration(note), points);
  note.segments = std::move(trajectory.segments);
  note.last_segment = trajectory.last_segment;
}

namespace {

// The segments from the first point on: a jump to its value, a hold until
// it, then one segment per further point. Returns the last x reached.
float append_point_segments(std::vector<NoteSegment>& segments, float total,
                            const std::vector<WavePoint>& points) {
  float previous_x = points.front().x * total;
  float previous_y = points.front().y;
  Curve previous_curve = points.front().curve;
  // Not-a-number is not 0 either.
  if (previous_y != 0) segments.push_back({previous_y, 0.0f, Curve::linear()});
  if (previous_x > 0) segments.push_back({0.0f, previous_x, Curve::ease()});
  for (std::size_t i = 1; i < points.size(); ++i) {
    const float x = points[i].x * total;
    const float y = points[i].y;
    segments.push_back({y - previous_y, x - previous_x, previous_curve});
    previous_x = x;
    previous_y = y;
    previous_curve = points[i].curve;
  }
  return previous_x;
}

}  // namespace

Trajectory trajectory_from_curve(float total, const std::vector<WavePoint>& points) {
  std::vector<NoteSegment> segments;
  float reached = 0.0f;
  if (!points.empty()) reached = append_point_segments(segments, total, points);
  // Hold the offset to the end of the note; a trajectory is never empty.
  if (reached < total || segments.empty()) {
    segments.push_back({0.0f, total - reached, Curve::ease()});
  }
  Trajectory trajectory;
  trajectory.last_segment = segments.back();
  segments.pop_back();
  trajectory.segments = std::move(segments);
  return trajectory;
}

std::vector<WavePoint> pitch_curve(const Note& note) {
  if (note.segments.empty() && note.last_segment.pitch_delta == 0) return {};
  const float total = note.last_segment.duration + duration_sum(note.segments);
  float time = 0.0f;
  float offset = 0.0f;
  const auto position = [&] { return total > 0 ? time / total : 0.0f; };
  std::vector<WavePoint> points;
  points.reserve(note.segments.size() + 2);
  const auto add_segment = [&](const NoteSegment& segment) {
    points.push_back({position(), offset, segment.curve});
    time += segment.duration;
    offset += segment.pitch_delta;
  };
  for (const NoteSegment& segment : note.segments) add_segment(segment);
  add_segment(note.last_segment);
  points.push_back({position(), offset, Curve::linear()});
  if (points.size() >= 2 && points[1].x == 0) points.erase(points.begin());
  return points;
}

}  // namespace voromel::track::format
