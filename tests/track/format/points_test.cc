#include "track/format/points.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voromel::track::format {
namespace {

using song::Curve;
using song::WavePoint;

TEST(WavePoints, ReadsPointsInTheOrderWritten) {
  struct Case {
    const char* text;
    std::vector<WavePoint> points;
  } cases[] = {
      {"0 0, 0.5 2 ease-in, 1 0 linear",
       {{0, 0, Curve::ease()}, {0.5f, 2, Curve::ease_in_only()}, {1, 0, Curve::linear()}}},
      {"0 0 ,1 2", {{0, 0, Curve::ease()}, {1, 2, Curve::ease()}}},
      {"0 3", {{0, 3, Curve::ease()}}},
      {"2 1, -1 5 ease-out", {{2, 1, Curve::ease()}, {-1, 5, Curve::ease_out_only()}}},
      {"1 1 ease", {{1, 1, Curve::ease()}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto points = parse_wave_points(c.text, 1);
    ASSERT_TRUE(points.has_value()) << points.error().text();
    EXPECT_EQ(points.value(), c.points);
  }
}

TEST(WavePoints, Errors) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "line 7: envelope point needs '<x> <y> [curve]'"},
      {"0 0,", "line 7: envelope point needs '<x> <y> [curve]'"},
      {"0 0 1 2", "line 7: envelope point needs '<x> <y> [curve]'"},
      {"0", "line 7: envelope point needs '<x> <y> [curve]'"},
      {"0 x", "line 7: invalid number for envelope y: 'x'"},
      {"x y", "line 7: invalid number for envelope x: 'x'"},
      {"0 y bouncy", "line 7: invalid number for envelope y: 'y'"},
      {"0 0 bouncy", "line 7: unknown curve 'bouncy' (expected linear, ease-in, ease-out or ease)"},
      // The first failing part ends the reading.
      {"0 0, 1 x, 1 2 3 4", "line 7: invalid number for envelope y: 'x'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto points = parse_wave_points(c.text, 7);
    ASSERT_FALSE(points.has_value());
    EXPECT_EQ(points.error().text(), c.error);
  }
}

TEST(WavePoints, WritesCanonicalNumbersAndDropsEase) {
  EXPECT_EQ(format_curve_points(
                {{0, 0, Curve::ease()}, {0.5f, 2, Curve::ease_in_only()}, {1, 0, Curve::linear()}}),
            "0 0, 0.5 2 ease-in, 1 0 linear");
  EXPECT_EQ(format_curve_points({{-0.0f, 0.1f, Curve::ease_out_only()}}), "0 0.1 ease-out");
  EXPECT_EQ(format_curve_points({}), "");
}

}  // namespace
}  // namespace voromel::track::format
