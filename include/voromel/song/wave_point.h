#pragma once

#include <voromel/song/curve.h>

namespace voromel::song {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// A point of a curve or wave shape: a position, a value, and the shape of
// the transition to the next point.
struct WavePoint {
  float x = 0;
  float y = 0;
  Curve curve;

  friend bool operator==(const WavePoint&, const WavePoint&);
};

}  // namespace voromel::song
