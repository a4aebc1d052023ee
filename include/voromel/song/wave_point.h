#pragma once

#include <voromel/song/curve.h>

namespace voromel::song {

// A point of a curve or wave shape: a position, a value, and the shape of
// the transition to the next point.
struct WavePoint {
  float x = 0;
  float y = 0;
  Curve curve;

  friend bool operator==(const WavePoint&, const WavePoint&) = default;
};

}  // namespace voromel::song
