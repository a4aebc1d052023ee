#pragma once

#include <optional>
#include <string>
#include <vector>

#include <voromel/song/effect.h>
#include <voromel/song/note.h>

namespace voromel::song {

// A layer volume that follows a parameter, multiplied by `scale`.
struct VolumeParam {
  std::string name;
  float scale = 1;

  friend bool operator==(const VolumeParam&, const VolumeParam&) = default;
};

// One line of music: its playback settings, effects, notes and placements.
struct Layer {
  // Sorted by start (total order, stable) once the layer is read.
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

  friend bool operator==(const Layer&, const Layer&) = default;
};

}  // namespace voromel::song
