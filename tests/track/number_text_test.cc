#include "track/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "track/scalars.h"

namespace voromel::track {
namespace {

TEST(NumberText, CanonicalRule) {
  struct Case {
    float value;
    const char* text;
  } cases[] = {
      {3.0f, "3"},
      {-0.0f, "0"},
      {0.1f, "0.1"},
      {1e-7f, "0.0000001"},
      {1.1e10f, "11000000512"},
      {1e20f, "100000002004087734272"},
      {-2.5f, "-2.5"},
      {INFINITY, "inf"},
      {-INFINITY, "-inf"},
      {NAN, "NaN"},
      {-NAN, "NaN"},
      {16777216.0f, "16777216"},
      {std::numeric_limits<float>::denorm_min(), "0.000000000000000000000000000000000000000000001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(number_text(c.value), c.text);
  }
}

TEST(NumberText, PlainRule) {
  struct Case {
    float value;
    const char* text;
  } cases[] = {
      {3.0f, "3"},
      {-0.0f, "-0"},
      {0.0f, "0"},
      {0.5f, "0.5"},
      {1.1e10f, "11000000000"},
      {1e20f, "100000000000000000000"},
      {120.0f, "120"},
      {12.5f, "12.5"},
      {-0.25f, "-0.25"},
      {1e-7f, "0.0000001"},
      {INFINITY, "inf"},
      {-INFINITY, "-inf"},
      {NAN, "NaN"},
      {1.5e-5f, "0.000015"},
      {123456.789f, "123456.79"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(plain_number_text(c.value), c.text);
  }
}

TEST(NumberText, RandomFloatsReadBackToTheSameBits) {
  std::mt19937 random(20261208);
  for (int i = 0; i < 200000; ++i) {
    const auto bits = static_cast<std::uint32_t>(random());
    const float value = std::bit_cast<float>(bits);
    if (std::isnan(value)) continue;
    for (const std::string& text : {number_text(value), plain_number_text(value)}) {
      const auto back = parse_float(text, 1, "x");
      ASSERT_TRUE(back.has_value()) << text;
      if (value == 0.0f && text == "0") {
        EXPECT_EQ(back.value(), 0.0f);
      } else {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(back.value()), bits) << text;
      }
      EXPECT_EQ(text.find('e'), std::string::npos) << text;
    }
  }
}

}  // namespace
}  // namespace voromel::track
