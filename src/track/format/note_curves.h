#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "track/parse_error.h"
#include "voromel/song/note.h"
#include "voromel/song/wave_point.h"

// A note's indented pitch and volume curve lines, and the conversion between
// a pitch curve (points over the note's length) and the pitch trajectory
// (segments) that a note stores instead.
namespace voromel::track::format {

struct Trajectory {
  std::vector<song::NoteSegment> segments;
  song::NoteSegment last_segment;
};

// The sum of the segment durations, in order, starting from negative zero.
float duration_sum(const std::vector<song::NoteSegment>& segments);
// The segments' sum plus the last segment's duration.
float total_duration(const song::Note& note);

// "pitch <points>" or "volume <points>"; the note is unchanged on error.
LineResult<voromel::Ok> apply_note_curve(song::Note& note, std::string_view line,
                                         std::size_t line_number);

// Replaces the trajectory by the one the points describe over the note's
// current total duration.
void set_pitch_curve(song::Note& note, const std::vector<song::WavePoint>& points);

Trajectory trajectory_from_curve(float total_duration, const std::vector<song::WavePoint>& points);

// The points of the note's trajectory, as the running time over the total
// and the running offset; none when the pitch never moves.
std::vector<song::WavePoint> pitch_curve(const song::Note& note);

// Two points from (0, `from`) to an x within epsilon of 1, whatever the
// second value: the shape a glide (from 0) or a vol-ramp (from 1) option
// is written in.
bool is_option_shape(const std::vector<song::WavePoint>& points, float from);

// The duration and pitch points a note is written with. They read back to
// exactly the note's trajectory, each value the shortest text that does so
// given those before it (on a tie, the nearest to the computed one); a
// trajectory that no text gives back is first moved to a nearby one that
// some text does.
struct WrittenPitch {
  float duration;
  std::vector<song::WavePoint> points;
};
WrittenPitch written_pitch(const song::Note& note);

// Whether the note is written in a text that the next rewrite keeps. Some
// curves that move backwards, or beyond the float range, never settle.
bool pitch_settles(const song::Note& note);

// The refusal of a note whose pitch does not settle, at the line that set it.
struct UnsettledPitch {
  std::string text() const;
  bool refuses() const { return true; }
};

// Refuses the note at body line `line_number` when its pitch does not settle.
voromel::Result<voromel::Ok, header_format::ParseError> check_pitch_settles(
    const song::Note& note, std::size_t line_number);

}  // namespace voromel::track::format
