#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <voromel/song/jump.h>

namespace voromel::song {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// A named beat on a song's timeline. Names are unique within a song and are
// never numbers, so a position or target token that reads as a number is a beat.
struct Marker {
  std::string name;
  float beat = 0;

  friend bool operator==(const Marker&, const Marker&);
};

// A tempo that follows a parameter, multiplied by `scale`.
struct TempoParam {
  std::string name;
  float scale = 1;

  friend bool operator==(const TempoParam&, const TempoParam&);
};

// A parameter of a song and its default value.
struct Param {
  std::string name;
  float default_value = 0;

  friend bool operator==(const Param&, const Param&);
};

// How a song is played.
struct Song {
  float tempo = 120;
  // The end tempo divided by `tempo`; 1 for a steady tempo.
  float tempo_ratio = 1;
  std::optional<TempoParam> tempo_param;
  std::uint32_t beats_per_bar = 4;
  std::uint32_t beat_unit = 4;
  std::optional<std::uint32_t> seed;
  // One per name, in byte order of the names: a write refuses a repeated
  // name or another order.
  std::vector<Param> params;
  std::optional<float> length;
  std::vector<std::string> layers;
  // In order of beat (the total order of floats; equal beats keep their
  // order): sorted when read, and a write refuses them out of order.
  std::vector<Marker> markers;
  std::vector<Jump> jumps;
  std::vector<JumpAt> jump_ats;

  friend bool operator==(const Song&, const Song&);
};

}  // namespace voromel::song
