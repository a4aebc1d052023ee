#include "voromel/song/tuning.h"

#include <gtest/gtest.h>

#include <vector>

namespace voromel::song {
namespace {

TEST(Tuning, EqualComputesEveryRatioInFloats) {
  struct Case {
    std::uint64_t steps;
    std::vector<float> ratios;
  } cases[] = {
      {0, {1}},
      {1, {1}},
      {2, {1, 1.4142135f}},
      {5, {1, 1.1486983f, 1.319508f, 1.5157166f, 1.7411011f}},
      {12,
       {1, 1.0594631f, 1.122462f, 1.1892071f, 1.2599211f, 1.3348398f, 1.4142135f, 1.4983071f,
        1.587401f, 1.6817929f, 1.7817974f, 1.8877486f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.steps);
    const Tuning tuning = Tuning::equal(c.steps);
    EXPECT_EQ(tuning.ratios, c.ratios);
    EXPECT_EQ(tuning.period, 2.0f);
  }
  // No more steps than an "equal" line reads.
  EXPECT_EQ(Tuning::equal(70000).ratios.size(), 65536u);
  EXPECT_EQ(Tuning::equal(70000).ratios.at(1), equal_step_ratio(1, 65536));
}

}  // namespace
}  // namespace voromel::song
