#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "song/curve.h"
#include "song/wave_point.h"

namespace voromel::song {

// One piece of a note's pitch trajectory: the pitch changes by `pitch_delta`
// over `duration`, shaped by `curve`.
struct NoteSegment {
  float pitch_delta = 0;
  float duration = 0;
  Curve curve;

  friend bool operator==(const NoteSegment&, const NoteSegment&) = default;
};

// Offsets stepped through at `rate` steps per second; no offsets means no
// arpeggio. Whenever there are offsets, the rate is greater than 0.
struct Arpeggio {
  std::vector<float> offsets;
  float rate = 0;

  friend bool operator==(const Arpeggio&, const Arpeggio&) = default;
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
  // Both members are set from the "repeat" option; the writer writes the larger.
  std::pair<std::uint32_t, std::uint32_t> repeat{0, 0};
  bool text_apostrophe = false;

  friend bool operator==(const Note&, const Note&) = default;
};

}  // namespace voromel::song
