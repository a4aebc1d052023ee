#include "track/number_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <tuple>

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
      {-16777215.0f, "-16777215"},
      {16777218.0f, "16777218"},
      {1.7e7f, "17000000"},
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

// Short decimals are read and written without from_chars and to_chars; both
// ways must agree with them bit for bit and byte for byte.
TEST(NumberText, ShortDecimalsAgreeWithTheLibrary) {
  const auto library_read = [](const std::string& text) {
    float value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return std::bit_cast<std::uint32_t>(value);
  };
  const auto library_text = [](float value) {
    char buffer[64];
    return std::string(buffer,
                       std::to_chars(buffer, buffer + 64, value, std::chars_format::fixed).ptr);
  };
  std::mt19937 random(14);
  for (int i = 0; i < 400000; ++i) {
    const std::uint32_t digits = random() % (i % 2 ? 10'000'000 : 1000);
    const int places = static_cast<int>(random() % 8);
    std::string text = std::to_string(digits);
    text.insert(
        0, static_cast<std::size_t>(std::max(0, places + 1 - static_cast<int>(text.size()))), '0');
    text.insert(text.size() - static_cast<std::size_t>(places), ".");
    SCOPED_TRACE(text);
    const auto read = parse_float(text, 1, "x");
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(std::bit_cast<std::uint32_t>(read.value()), library_read(text));
    if (read.value() != 0) {
      ASSERT_EQ(number_text(read.value()), library_text(read.value()));
    }
    // Texts judged canonical from their characters alone are.
    for (std::string candidate : {text, text.substr(text.find_first_not_of('0')), "-" + text}) {
      if (const auto value = plain_canonical_number(candidate)) {
        const float read_value = parse_float(candidate, 1, "x").value();
        ASSERT_EQ(std::bit_cast<std::uint32_t>(*value), std::bit_cast<std::uint32_t>(read_value));
        ASSERT_EQ(number_text(read_value), candidate);
      }
    }
    const float any = std::bit_cast<float>(static_cast<std::uint32_t>(random()) % 0x4B000000u);
    ASSERT_EQ(number_text(-any), any == 0 ? "0" : library_text(-any));
  }
}

TEST(NumberText, PlainCanonicalNumbers) {
  for (const char* text : {"0", "440", "-12.5", "1234567", "0.000001", "-0.25", "123456.0"}) {
    EXPECT_EQ(plain_canonical_number(text).has_value(), std::string_view(text) != "123456.0")
        << text;
  }
  for (const char* text : {"-0", "12.50", "012", "1e3", "0.1234567", "12345678", "+1", ".5", "5.",
                           "1234567.5", "inf", "NaN", "", "-"}) {
    EXPECT_FALSE(plain_canonical_number(text).has_value()) << text;
  }
}

TEST(NumberText, ShortestInRange) {
  struct Case {
    float low, high, preferred;
    const char* text;
  } cases[] = {
      {0.099999994f, 0.10000001f, 0.10000001f, "0.1"},
      {0.05f, 0.051f, 0.0505f, "0.05"},
      {-0.051f, -0.05f, -0.0505f, "-0.05"},
      {9.95f, 10.3f, 10.2f, "10"},
      {5, 2000, 1500, "9"},        // every value to 9 is as short as 5
      {0.0501f, 9.9f, 7.3f, "7"},  // and "0.1" is longer than "7"
      {-1e-30f, 1e-30f, 1e-30f, "0"},
      {-3.5f, 6.5f, 4.6f, "5"},
      {-3.5f, 0.5f, -2.0f, "0"},  // "-2" is longer than "0"
      {123456.7f, 123456.9f, 123456.7f, "123456.7"},
      {123456.7f, 123456.9f, 123456.8f, "123456.8"},
      {0.54000008f, 0.54000014f, 0.54000014f, "0.5400001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(number_text(shortest_number_between(c.low, c.high, c.preferred)), c.text);
  }
}

// Against every float of small random ranges, from subnormals to 1e38.
TEST(NumberText, ShortestInRangeMatchesEveryCandidate) {
  std::mt19937 random(20261210);
  const auto step = [](float value, int steps) {
    for (; steps > 0; --steps) value = std::nextafter(value, INFINITY);
    for (; steps < 0; ++steps) value = std::nextafter(value, -INFINITY);
    return value;
  };
  for (int i = 0; i < 20000; ++i) {
    const float scale = std::ldexp(1.0f, static_cast<int>(random() % 250) - 140);
    const float low = std::uniform_real_distribution<float>(-2, 2)(random) * scale;
    const float high = step(low, static_cast<int>(random() % 40));
    const float preferred = step(low, static_cast<int>(random() % 80) - 20);
    if (!std::isfinite(high) || !std::isfinite(preferred)) continue;
    // Shortest text, then nearest the value wanted, then nearest 0.
    struct Rank {
      std::size_t length;
      float distance;
      float magnitude;
      float value;
      bool operator<(const Rank& o) const {
        return std::tie(length, distance, magnitude) < std::tie(o.length, o.distance, o.magnitude);
      }
    };
    Rank best{std::numeric_limits<std::size_t>::max(), 0, 0, 0};
    for (float v = low; v <= high; v = std::nextafter(v, INFINITY)) {
      // Both zeros read as the one written "0".
      const float value = v == 0 ? 0.0f : v;
      const Rank rank{number_text(value).size(), std::fabs(value - preferred), std::fabs(value),
                      value};
      if (rank < best) best = rank;
    }
    const float chosen = shortest_number_between(low, high, preferred);
    ASSERT_EQ(number_text(chosen), number_text(best.value))
        << number_text(low) << " " << number_text(high) << " " << number_text(preferred);
  }
}

}  // namespace
}  // namespace voromel::track
