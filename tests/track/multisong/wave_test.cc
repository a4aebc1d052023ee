#include "track/multisong/wave.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/track/section_test_support.h"

namespace voromel::track::multisong {
namespace {

using testing::reformat;
using testing::reformat_text;

TEST(Waves, CanonicalBodies) {
  struct Case {
    std::vector<std::string_view> lines;
    const char* written;
  } cases[] = {
      {{}, ""},
      {{"0 0", "0.5 1 linear", "1 0"}, "0 0\n0.5 1 linear\n1 0\n"},
      {{"0 0 ease"}, "0 0\n"},
      {{"0 1 ease-in", "", "1.0 -0.5\t ease-out"}, "0 1 ease-in\n1 -0.5 ease-out\n"},
      {{"0.5 1", "0.5 -1"}, "0.5 1\n0.5 -1\n"},
      {{"-0 0"}, "0 0\n"},
      {{"0 250", "1 nan"}, "0 250\n1 NaN\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    EXPECT_EQ(reformat<WaveSection>(c.lines), c.written);
  }
}

TEST(Waves, ErrorsNameTheFileLineAndTheLineWithinTheBlock) {
  const char* const count = "wave vertex needs '<x> <y>' plus an optional curve";
  struct Case {
    std::vector<std::string_view> lines;
    std::string error;
  } cases[] = {
      {{"0.6 1", "0.4 0"}, "line 2: line 2: wave vertices must run in non-decreasing x"},
      {{"1.5 0"}, "line 1: line 1: wave x must be within 0..=1"},
      {{"-0.5 0"}, "line 1: line 1: wave x must be within 0..=1"},
      // A NaN position lies within no range.
      {{"nan 0"}, "line 1: line 1: wave x must be within 0..=1"},
      {{"0 0", "", "0.5"}, std::string("line 3: line 3: ") + count},
      // The token count is tested before any number is read.
      {{"x 1 linear extra"}, std::string("line 1: line 1: ") + count},
      // Numbers are read before the curve, and x before y.
      {{"x 1 bouncy"}, "line 1: line 1: invalid number for wave x: 'x'"},
      {{"0 y bouncy"}, "line 1: line 1: invalid number for wave y: 'y'"},
      {{"2 y"}, "line 1: line 1: invalid number for wave y: 'y'"},
      {{"0 1 bouncy"},
       "line 1: line 1: unknown curve 'bouncy' (expected linear, ease-in, ease-out or ease)"},
      {{"0 1 Linear"},
       "line 1: line 1: unknown curve 'Linear' (expected linear, ease-in, ease-out or ease)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(reformat<WaveSection>(c.lines), "error: " + c.error);
  }
}

TEST(Waves, ErrorLineMovesWithTheBlock) {
  const auto wave = WaveSection::parse(std::vector<std::string_view>{"0 0", "x 0"});
  ASSERT_FALSE(wave.has_value());
  EXPECT_EQ(wave.error().shifted(20).text(), "line 21: line 2: invalid number for wave x: 'x'");
}

TEST(Waves, OrderIsCheckedAgainstThePreviousVertex) {
  const song::WavePoint previous{0.5f, 0, song::Curve::linear()};
  EXPECT_EQ(parse_wave_point(&previous, "0.5 2", 4).value(),
            (song::WavePoint{0.5f, 2, song::Curve::ease()}));
  EXPECT_EQ(parse_wave_point(&previous, "0.25 2", 4).error().text(),
            "line 4: wave vertices must run in non-decreasing x");
  EXPECT_TRUE(parse_wave_point(nullptr, "0.25 2", 4).has_value());
}

TEST(Waves, RoundTrip) {
  const std::string once = reformat<WaveSection>({"0 -1 linear", "0.25 1e-7", "1 1 ease-out"});
  EXPECT_EQ(once, "0 -1 linear\n0.25 0.0000001\n1 1 ease-out\n");
  EXPECT_EQ(reformat_text<WaveSection>(once), once);
}

}  // namespace
}  // namespace voromel::track::multisong
