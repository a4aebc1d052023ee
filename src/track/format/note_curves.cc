#include "track/format/note_curves.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <string>

#include "header_format/text.h"
#include "track/format/points.h"
#include "track/number_text.h"
#include "track/scalars.h"

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

LineResult<voromel::Ok> apply_note_curve(Note& note, std::string_view line,
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
  return voromel::Ok{};
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

namespace {

bool has_pitch_movement(const std::vector<NoteSegment>& segments, const NoteSegment& last) {
  return !segments.empty() || last.pitch_delta != 0;
}

float trajectory_duration(const Trajectory& trajectory) {
  return trajectory.last_segment.duration + duration_sum(trajectory.segments);
}

// One point where each segment starts, at its time over the total, and one
// for the end; a first point at the very time of the second is dropped.
std::vector<WavePoint> trajectory_points(const std::vector<NoteSegment>& segments,
                                         const NoteSegment& last) {
  if (!has_pitch_movement(segments, last)) return {};
  const float total = last.duration + duration_sum(segments);
  float time = 0.0f;
  float offset = 0.0f;
  const auto position = [&] { return total > 0 ? time / total : 0.0f; };
  std::vector<WavePoint> points;
  points.reserve(segments.size() + 2);
  const auto add_segment = [&](const NoteSegment& segment) {
    points.push_back({position(), offset, segment.curve});
    time += segment.duration;
    offset += segment.pitch_delta;
  };
  for (const NoteSegment& segment : segments) add_segment(segment);
  add_segment(last);
  points.push_back({position(), offset, Curve::linear()});
  if (points.size() >= 2 && points[1].x == 0) points.erase(points.begin());
  return points;
}

}  // namespace

std::vector<WavePoint> pitch_curve(const Note& note) {
  return trajectory_points(note.segments, note.last_segment);
}

bool is_option_shape(const std::vector<WavePoint>& points, float from) {
  return points.size() == 2 && points[0].x == 0 && points[0].y == from &&
         number_within_epsilon_of(points[1].x, 1.0f);
}

namespace {

// How a written number reads back: "0" for either zero, one NaN for all.
float read_back_number(float value) {
  if (value == 0) return 0.0f;
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  return value;
}

// The trajectory a reader builds from a written note line and its pitch
// curve, written as a glide option, a curve line or not at all.
Trajectory read_back(const WrittenPitch& written) {
  const float duration = read_back_number(written.duration);
  std::vector<WavePoint> points = written.points;
  for (WavePoint& point : points) {
    point.x = read_back_number(point.x);
    point.y = read_back_number(point.y);
  }
  if (is_option_shape(points, 0.0f)) {
    if (points[1].y == 0)
      points.clear();
    else
      points[1].x = 1.0f;
  }
  if (points.empty()) return {{}, {0.0f, duration, Curve::ease()}};
  return trajectory_from_curve(duration, points);
}

bool same_bits(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

bool same_bits(const NoteSegment& a, const NoteSegment& b) {
  return same_bits(a.pitch_delta, b.pitch_delta) && same_bits(a.duration, b.duration) &&
         a.curve == b.curve;
}

bool same_bits(const Trajectory& a, const Trajectory& b) {
  return a.segments.size() == b.segments.size() && same_bits(a.last_segment, b.last_segment) &&
         std::equal(a.segments.begin(), a.segments.end(), b.segments.begin(),
                    [](const NoteSegment& x, const NoteSegment& y) { return same_bits(x, y); });
}

// Finite floats in their numeric order, both zeros at 0.
std::int64_t float_rank(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const auto magnitude = static_cast<std::int64_t>(bits & 0x7fffffffu);
  return bits >> 31 ? -magnitude : magnitude;
}

float float_at_rank(std::int64_t rank) {
  const auto magnitude = static_cast<std::uint32_t>(rank < 0 ? -rank : rank);
  return std::bit_cast<float>(rank < 0 ? magnitude | 0x80000000u : magnitude);
}

struct FloatRange {
  float low;
  float high;
};

// The first rank from which `holds` is true, for a test that is false below
// some rank and true from it on; searched outwards from `start` by doubling
// steps, then by halving, so that a nearby answer costs a few tests.
template <typename Test>
std::int64_t first_rank_where(Test holds, std::int64_t start) {
  const std::int64_t top = float_rank(std::numeric_limits<float>::max());
  std::int64_t low = start;  // the answer lies in (low, high]
  std::int64_t high = start;
  std::int64_t step = 1;
  if (holds(start)) {
    do {
      high = low;
      low = std::max(high - step, -top - 1);
      step *= 2;
    } while (low >= -top && holds(low));
  } else {
    do {
      low = high;
      high = std::min(low + step, top + 1);
      step *= 2;
    } while (high <= top && !holds(high));
  }
  while (high - low > 1) {
    const std::int64_t middle = low + (high - low) / 2;
    if (holds(middle))
      high = middle;
    else
      low = middle;
  }
  return high;
}

// The finite floats v for which result(v) equals `target`, where result
// never falls as v grows: a range, or none. `guess` is where to look first.
template <typename Result>
std::optional<FloatRange> floats_giving(float target, float guess, Result result) {
  const std::int64_t start = std::isfinite(guess) ? float_rank(guess) : 0;
  const auto result_at = [&](std::int64_t rank) { return result(float_at_rank(rank)); };
  const std::int64_t low =
      first_rank_where([&](std::int64_t rank) { return result_at(rank) >= target; }, start);
  const std::int64_t high =
      first_rank_where([&](std::int64_t rank) { return result_at(rank) > target; }, start) - 1;
  if (low > high) return std::nullopt;
  return FloatRange{float_at_rank(low), float_at_rank(high)};
}

// The float of the range with the shortest text, nearest `computed` on a tie.
float shortest_in(const FloatRange& range, float computed) {
  if (range.low == range.high) return range.low;
  return shortest_number_between(range.low, range.high, computed);
}

// The segments in the order the written points bound them: point k ends
// segment k - 1 of this list.
struct WrittenSegments {
  const Trajectory& trajectory;
  // The first segment is the jump the first written point stands for.
  bool first_is_jump;

  const NoteSegment& ending_at(std::size_t point) const {
    const std::size_t index = point - 1 + (first_is_jump ? 1 : 0);
    return index < trajectory.segments.size() ? trajectory.segments[index]
                                              : trajectory.last_segment;
  }
};

// Each y after the first is the shortest that keeps its segment's pitch
// delta, given the y before it; the first stands as computed (0, or the
// value of the first jump).
void choose_offsets(std::vector<WavePoint>& points, const WrittenSegments& segments) {
  for (std::size_t k = 1; k < points.size(); ++k) {
    const float previous = points[k - 1].y;
    const float delta = segments.ending_at(k).pitch_delta;
    if (!std::isfinite(previous) || !std::isfinite(delta)) continue;
    const auto range = floats_giving(delta, points[k].y, [&](float y) { return y - previous; });
    if (range) points[k].y = shortest_in(*range, points[k].y);
  }
}

// The positions after the first that give back every segment's duration
// under `duration`, each the shortest given those before it; none when a
// segment cannot be given back or the end of the note would be held.
std::optional<std::vector<float>> positions_for(float duration,
                                                const std::vector<WavePoint>& points,
                                                const WrittenSegments& segments) {
  std::vector<float> positions;
  positions.reserve(points.size());
  positions.push_back(points.front().x);
  float reached = points.front().x * duration;
  for (std::size_t k = 1; k < points.size(); ++k) {
    const float length = segments.ending_at(k).duration;
    if (!std::isfinite(length)) return std::nullopt;
    const auto range =
        floats_giving(length, points[k].x, [&](float x) { return x * duration - reached; });
    if (!range) return std::nullopt;
    positions.push_back(shortest_in(*range, points[k].x));
    reached = positions.back() * duration;
  }
  if (reached < duration) return std::nullopt;
  // Two points from (0, 0) ending near 1 are written as a glide, which reads
  // its end at exactly 1.
  if (positions.size() == 2 && points[0].y == 0 && number_within_epsilon_of(positions[1], 1.0f) &&
      positions[1] != 1) {
    return std::nullopt;
  }
  return positions;
}

// The next finite float up; the largest stays.
float next_float_up(float value) {
  return std::nextafter(value, std::numeric_limits<float>::max());
}

// The durations tried lie within this many floats of the computed total:
// first the nearest few, then, when none of those gives back every segment,
// ever wider windows, so that a duration a few floats further away that does
// is found before the trajectory is moved. The nearest few are tried first
// so that a wider search never changes a text the nearest window gives.
constexpr int duration_windows[] = {4, 8, 16};

FloatRange duration_window_around(float total, int reach) {
  FloatRange window{total, total};
  for (int step = 0; step < reach; ++step) {
    window.low = std::nextafter(window.low, 0.0f);
    window.high = next_float_up(window.high);
  }
  return window;
}

// The floats of the window, shortest text first, then nearest the total.
std::vector<float> durations_near(const FloatRange& window, float total) {
  std::vector<NumberChoice> ranked;
  for (float value = window.low; value <= window.high; value = next_float_up(value)) {
    ranked.push_back({number_text(value).size(), std::fabs(value - total), value});
    if (value == window.high) break;
  }
  std::sort(ranked.begin(), ranked.end());
  std::vector<float> durations;
  for (const NumberChoice& entry : ranked) durations.push_back(entry.value);
  return durations;
}

// Where the last point lies for positions that give back every segment's
// duration, each nearest the running sum: the total itself, unless the
// durations cancel, when the sum loses what the positions kept.
float end_position(std::size_t point_count, const WrittenSegments& segments) {
  float position = 0.0f;
  for (std::size_t k = 1; k < point_count; ++k) {
    const float length = segments.ending_at(k).duration;
    const auto range =
        floats_giving(length, position + length, [&](float next) { return next - position; });
    if (!range) return position;
    position = std::clamp(position + length, range->low, range->high);
  }
  return position;
}

bool try_duration(float duration, WrittenPitch& written, const WrittenSegments& segments) {
  const auto positions = positions_for(duration, written.points, segments);
  if (!positions) return false;
  written.duration = duration;
  for (std::size_t k = 0; k < positions->size(); ++k) written.points[k].x = (*positions)[k];
  return true;
}

bool inside(const FloatRange& range, float value) {
  return range.low <= value && value <= range.high;
}

// The first window's durations, in rank. Its first is the total itself when
// the total's text has at most six significant digits: another float of the
// window with a text no longer would be another such decimal, and two of
// them lie more than 2^23 / 10^6 (about 8.4) floats apart, beyond the
// window's reach. (A whole total of seven digits is read as plain too; its
// neighbours' texts are no shorter and they lie further from it.) So the
// others need no ranking when the total does.
bool try_nearest_durations(float total, const FloatRange& window, WrittenPitch& written,
                           const WrittenSegments& segments) {
  static_assert(duration_windows[0] < 8);
  const float first =
      plain_canonical_number(number_text(total)) ? total : shortest_in(window, total);
  if (try_duration(first, written, segments)) return true;
  for (const float duration : durations_near(window, total)) {
    if (duration != first && try_duration(duration, written, segments)) return true;
  }
  return false;
}

// The durations of window `index` around `total` that no narrower window
// holds, in rank.
bool try_durations_near(float total, std::size_t index, WrittenPitch& written,
                        const WrittenSegments& segments) {
  if (!(total > 0) || !std::isfinite(total)) return false;
  const FloatRange window = duration_window_around(total, duration_windows[index]);
  if (index == 0) return try_nearest_durations(total, window, written, segments);
  const FloatRange tried = duration_window_around(total, duration_windows[index - 1]);
  for (const float duration : durations_near(window, total)) {
    if (!inside(tried, duration) && try_duration(duration, written, segments)) return true;
  }
  return false;
}

// The shortest duration and positions that give back the trajectory's
// durations, near the total or, when the durations cancel, near where the
// positions end; each of the first `windows` windows is tried around both
// before the next. The computed ones stay when none do.
void choose_duration_and_positions(WrittenPitch& written, const WrittenSegments& segments,
                                   std::size_t windows) {
  const float total = written.duration;
  if (try_durations_near(total, 0, written, segments)) return;
  // Worked out only now: the first window around the total usually does.
  const float end = end_position(written.points.size(), segments);
  for (std::size_t index = 0; index < windows; ++index) {
    if (index > 0 && try_durations_near(total, index, written, segments)) return;
    if (end != total && try_durations_near(end, index, written, segments)) return;
  }
}

// The computed duration and points, each value then replaced by the shortest
// that still reads back to the same segment.
WrittenPitch choose_written(const Trajectory& trajectory, std::size_t windows) {
  WrittenPitch written{trajectory_duration(trajectory),
                       trajectory_points(trajectory.segments, trajectory.last_segment)};
  if (written.points.empty()) return written;
  const WrittenSegments segments{trajectory,
                                 written.points.size() == trajectory.segments.size() + 1};
  choose_duration_and_positions(written, segments, windows);
  choose_offsets(written.points, segments);
  return written;
}

// Segments that all move forward over a positive, finite note, by finite
// offsets: these settle in the first or second round.
bool is_forward(const Note& note) {
  const auto forward = [](const NoteSegment& segment) {
    return segment.duration >= 0 && std::isfinite(segment.duration) &&
           std::isfinite(segment.pitch_delta);
  };
  const float total = total_duration(note);
  return total > 0 && std::isfinite(total) && forward(note.last_segment) &&
         std::all_of(note.segments.begin(), note.segments.end(), forward);
}

// Rounds after which a trajectory that still moves is taken not to settle.
constexpr int settling_rounds = 8;

struct Settling {
  WrittenPitch written;
  bool settled;
};

// Writing a trajectory exactly is not always possible, since positions are
// fractions of a duration that the segments only give as a rounded sum. So
// the written text is chosen for the trajectory, read back, and chosen
// again for what was read, until the two agree: the text then reads back to
// the very trajectory it was chosen for, and a second rewrite keeps it.
// That costs a note that moves forward at most a last bit. Any other note
// settles only on the very trajectory that was read: a text that reads back
// to another one may have lost the whole movement.
Settling settle(const Note& note) {
  if (!has_pitch_movement(note.segments, note.last_segment)) {
    return {{total_duration(note), {}}, true};
  }
  // Only a note that moves forward, which always settles, is searched beyond
  // the first window: for the others a wider search would change which of
  // them settle and which are refused.
  const bool forward = is_forward(note);
  const std::size_t windows = forward ? std::size(duration_windows) : 1;
  Trajectory trajectory{note.segments, note.last_segment};
  WrittenPitch written = choose_written(trajectory, windows);
  for (int round = 1; round < settling_rounds; ++round) {
    Trajectory read = read_back(written);
    if (same_bits(read, trajectory)) return {std::move(written), true};
    if (!forward) break;
    trajectory = std::move(read);
    written = choose_written(trajectory, windows);
  }
  return {std::move(written), false};
}

}  // namespace

WrittenPitch written_pitch(const Note& note) {
  return settle(note).written;
}

bool pitch_settles(const Note& note) {
  return is_forward(note) || settle(note).settled;
}

std::string UnsettledPitch::text() const {
  return "the pitch movement of this note cannot be written so that it reads back the same: use "
         "x values rising from 0 to 1, finite offsets and a duration above 0";
}

voromel::Result<voromel::Ok, header_format::ParseError> check_pitch_settles(
    const Note& note, std::size_t line_number) {
  if (pitch_settles(note)) return voromel::Ok{};
  return header_format::ParseError::at_line(line_number, UnsettledPitch{});
}

}  // namespace voromel::track::format
