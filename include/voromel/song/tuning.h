#pragma once

#include <cstdint>
#include <vector>

namespace voromel::song {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// The pitches of one scale as frequency ratios within a repeating period.
struct Tuning {
  // The scale degrees in the order written; after reading never empty, and
  // starting at 1 unless the first degree was 0.
  std::vector<float> ratios;
  // The ratio at which the scale repeats.
  float period = 2;

  // The equal temperament of n = max(steps, 1) steps to the octave, and at
  // most 65536, the most an "equal" line reads: ratio i is 2 raised to i / n,
  // computed in 32-bit floats.
  static Tuning equal(std::uint64_t steps);

  friend bool operator==(const Tuning&, const Tuning&);
};

// Ratio i of the equal temperament of n steps, as `Tuning::equal` computes it.
float equal_step_ratio(std::uint64_t i, std::uint64_t n);

}  // namespace voromel::song
