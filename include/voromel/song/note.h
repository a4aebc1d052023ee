#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <voromel/song/curve.h>
#include <voromel/song/wave_point.h>

namespace voromel::song {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// One piece of a note's pitch trajectory: the pitch changes by `pitch_delta`
// over `duration`, shaped by `curve`.
struct NoteSegment {
  float pitch_delta = 0;
  float duration = 0;
  Curve curve;

  friend bool operator==(const NoteSegment&, const NoteSegment&);
};

// Offsets stepped through at `rate` steps per second; no offsets means no
// arpeggio. Whenever there are offsets, the rate is greater than 0.
struct Arpeggio {
  std::vector<float> offsets;
  float rate = 0;

  friend bool operator==(const Arpeggio&, const Arpeggio&);
};

// One note of a layer or a motif. The duration is not stored on its own: it
// is the sum of the durations of `segments` and `last_segment`.
struct Note {
  std::string sound;
  std::vector<NoteSegment> segments;
  std::vector<WavePoint> volume_curve;
  std::string text;
  Arpeggio arpeggio;
  float pitch = 0;
  float start = 0;
  NoteSegment last_segment;
  float volume = 1;
  // The count of the "repeat" option. A count of 1 or less is written as no
  // option, which reads back as 0.
  std::uint32_t repeat = 0;
  bool text_apostrophe = false;

  friend bool operator==(const Note&, const Note&);
};

// A range of the placed notes: the first index and the number of notes.
struct Trim {
  std::uint64_t from = 0;
  std::uint64_t count = 0;

  friend bool operator==(const Trim&, const Trim&) = default;
};

// A change to one note of a placed motif or subtrack. Overrides are not
// merged: two for the same index are two entries.
struct NoteOverride {
  std::uint64_t index = 0;
  bool skip = false;
  std::optional<float> pitch;
  std::optional<float> start;
  std::optional<float> duration;
  std::optional<float> glide;
  std::optional<float> volume;
  std::optional<std::string> text;
  std::optional<std::vector<WavePoint>> pitch_curve;

  friend bool operator==(const NoteOverride&, const NoteOverride&);
};

// A motif placed at `start`, its notes played by `sound`.
struct MotifInstance {
  std::string name;
  float start = 0;
  std::string sound;
  float transpose = 0;
  std::optional<std::string> tuning;
  std::vector<NoteOverride> overrides;
  std::optional<Trim> trim;

  friend bool operator==(const MotifInstance&, const MotifInstance&);
};

// A subtrack placed at `start`. The qualifier is one word kept verbatim.
struct SubtrackInstance {
  std::string name;
  float start = 0;
  std::optional<std::string> qualifier;
  float transpose = 0;
  std::optional<std::string> tuning;
  std::vector<NoteOverride> overrides;
  std::optional<Trim> trim;

  friend bool operator==(const SubtrackInstance&, const SubtrackInstance&);
};

}  // namespace voromel::song
