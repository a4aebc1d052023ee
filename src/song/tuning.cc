#include "voromel/song/tuning.h"

#include <algorithm>
#include <cmath>

#include "track/multisong/tuning.h"

namespace voromel::song {

float equal_step_ratio(std::uint64_t i, std::uint64_t n) {
  return std::exp2(static_cast<float>(i) / static_cast<float>(n));
}

Tuning Tuning::equal(std::uint64_t steps) {
  const std::uint64_t n = std::clamp<std::uint64_t>(steps, 1, track::multisong::max_equal_steps);
  Tuning tuning;
  tuning.ratios.reserve(n);
  for (std::uint64_t i = 0; i < n; ++i) tuning.ratios.push_back(equal_step_ratio(i, n));
  return tuning;
}

}  // namespace voromel::song
