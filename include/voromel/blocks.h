#pragma once

#include <map>
#include <string>
#include <vector>

#include <voromel/song/note.h>
#include <voromel/song/subtitle.h>
#include <voromel/song/wave_point.h>

// The values of the blocks whose kinds have no type of their own among the
// song's values.
namespace voromel {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// A reusable phrase of notes without sound names.
struct Motif {
  // In the order of the body; never sorted.
  std::vector<song::Note> notes;

  friend bool operator==(const Motif&, const Motif&) = default;
};

// The vertices of a wave shape: every x within 0 to 1, never decreasing.
struct Wave {
  std::vector<song::WavePoint> points;

  friend bool operator==(const Wave&, const Wave&) = default;
};

// Timed lines of text, in beat order (total order; equal beats keep their
// order): sorted when read, and a write refuses them out of order.
struct SubtitleTrack {
  std::vector<song::Subtitle> subtitles;

  friend bool operator==(const SubtitleTrack&, const SubtitleTrack&) = default;
};

// A set of parameter values, ordered by name byte by byte.
struct Snapshot {
  std::map<std::string, float> values;

  friend bool operator==(const Snapshot&, const Snapshot&);
};

struct ReverbPreset {
  // 0 to 1.
  float room_size = 0.5f;
  // 0 to 1.
  float decay = 0.7f;
  // 0 to 1.
  float mix = 0.4f;
  // 0 or more.
  float predelay = 0.01f;

  friend bool operator==(const ReverbPreset&, const ReverbPreset&);
};

}  // namespace voromel
