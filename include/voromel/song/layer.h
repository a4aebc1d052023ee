#pragma once

#include <optional>
#include <string>
#include <vector>

#include <voromel/song/effect.h>
#include <voromel/song/note.h>

namespace voromel::song {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// A layer volume that follows a parameter, multiplied by `scale`.
struct VolumeParam {
  std::string name;
  float scale = 1;

  friend bool operator==(const VolumeParam&, const VolumeParam&);
};

// One line of music: its playback settings, effects, notes and placements.
struct Layer {
  // In order of start (the total order of floats; equal starts keep their
  // order): sorted when read, and a write refuses them out of order.
  std::vector<Note> notes;
  std::vector<MotifInstance> motif_instances;
  std::vector<SubtrackInstance> subtrack_instances;
  std::vector<Effect> effects;
  std::optional<VolumeParam> volume_param;
  std::optional<std::string> tuning;
  std::optional<float> loop_length;
  // Used while `volume_param` is absent.
  float volume = 1;
  float pan = 0;
  // Only meaningful while `loop_length` is present.
  float loop_skip = 0;
  float root = 440;
  bool mute = false;
  bool solo = false;

  friend bool operator==(const Layer&, const Layer&);
};

}  // namespace voromel::song
