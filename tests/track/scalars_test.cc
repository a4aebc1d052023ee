#include "track/scalars.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>

namespace voromel::track {
namespace {

std::string error_text(const ParseError& error) {
  return error.text();
}

TEST(ParseFloat, AcceptsTheNumberSyntax) {
  struct Case {
    const char* text;
    float value;
  } cases[] = {
      {"1e3", 1000.0f},
      {"-.5", -0.5f},
      {"+2.", 2.0f},
      {"5", 5.0f},
      {"0.25", 0.25f},
      {"1E-2", 0.01f},
      {"1e+2", 100.0f},
      {"INF", INFINITY},
      {"-Infinity", -INFINITY},
      {"1e39", INFINITY},
      {"-1e400", -INFINITY},
      {"1e-50", 0.0f},
      {"8e-46", 1e-45f},
      {"16777217", 16777216},
      {"3.4028236e38", INFINITY},
      {"0.1", 0.1f},
      {"1.1e10", 11000000512.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto result = parse_float(c.text, 1, "x");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(std::bit_cast<std::uint32_t>(result.value()), std::bit_cast<std::uint32_t>(c.value));
  }
}

// Exact halfway texts round to the even neighbour; a last digit past the
// half rounds up. Reading through a double would round twice and miss both.
TEST(ParseFloat, RoundsOnceToTheNearestFloatTiesToEven) {
  struct Case {
    const char* text;
    std::uint32_t bits;
  } cases[] = {
      {"1.000000059604644775390625", 0x3f800000},
      {"1.000000059604644775390626", 0x3f800001},
      {"1.000000178813934326171875", 0x3f800002},
      {"340282356779733661637539395458142568447", 0x7f7fffff},
      {"340282356779733661637539395458142568448", 0x7f800000},
      {"7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743319"
       "094181060791015625e-46",
       0x00000000},
      {"7.0064923216240854e-46", 0x00000001},
      {"-2.1019476964872257e-45", 0x80000002},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto result = parse_float(c.text, 1, "x");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(std::bit_cast<std::uint32_t>(result.value()), c.bits);
  }
}

TEST(ParseFloat, TinyNegativeKeepsItsSign) {
  const auto result = parse_float("-1e-60", 1, "x");
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(std::signbit(result.value()));
  EXPECT_EQ(result.value(), 0.0f);
}

TEST(ParseFloat, EveryNanIsPositive) {
  for (const char* text : {"NaN", "nan", "-nan", "+NAN"}) {
    SCOPED_TRACE(text);
    const auto result = parse_float(text, 1, "x");
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(std::isnan(result.value()));
    EXPECT_FALSE(std::signbit(result.value()));
  }
}

TEST(ParseFloat, RejectsOtherForms) {
  for (const char* text : {"", " 1", "1 ", "1,5", "0x10", "1_000", "e5", ".", "+", "-", "1e", "1e+",
                           "nan(1)", "in", "infinit", "1.2.3", "--1", "+-1", "١"}) {
    SCOPED_TRACE(text);
    const auto result = parse_float(text, 7, "start");
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(error_text(result.error()),
              std::string("line 7: invalid number for start: '") + text + "'");
  }
}

TEST(ParseNextFloat, TakesTheNextTokenOrComplains) {
  Tokens tokens("  2.5\u00a0x ");
  EXPECT_EQ(parse_next_float(tokens, 3, "gain").value(), 2.5f);
  EXPECT_EQ(error_text(parse_next_float(tokens, 3, "gain").error()),
            "line 3: invalid number for gain: 'x'");
  EXPECT_EQ(error_text(parse_next_float(tokens, 3, "gain").error()), "line 3: gain needs a value");
}

TEST(ParseBool, ExactWords) {
  struct Case {
    const char* text;
    bool value;
  } accepted[] = {{"true", true}, {"yes", true},  {"on", true}, {"1", true}, {"false", false},
                  {"no", false},  {"off", false}, {"0", false}, {"", false}};
  for (const Case& c : accepted) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parse_bool(c.text, 1, "mute").value(), c.value);
  }
  for (const char* text : {"On", "TRUE", "y", " true"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(error_text(parse_bool(text, 2, "mute").error()),
              std::string("line 2: invalid bool for mute: '") + text + "'");
  }
}

TEST(ParsePositive, CountsFromOne) {
  EXPECT_EQ(parse_positive("007", 1, "n").value(), 7u);
  EXPECT_EQ(parse_positive("+3", 1, "n").value(), 3u);
  EXPECT_EQ(parse_positive("4294967295", 1, "n").value(), 4294967295u);
  for (const char* text : {"0", "-1", "+", "", "4294967296", " 1", "1.0", "99999999999999999999"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(error_text(parse_positive(text, 4, "beat_unit").error()),
              std::string("line 4: invalid positive integer for beat_unit: '") + text + "'");
  }
}

TEST(ParseUnsigned, ReadsUpToTheGivenMaximum) {
  constexpr std::uint64_t u64_max = std::numeric_limits<std::uint64_t>::max();
  EXPECT_EQ(parse_unsigned("18446744073709551615", u64_max), u64_max);
  EXPECT_EQ(parse_unsigned("+0018446744073709551615", u64_max), u64_max);
  EXPECT_EQ(parse_unsigned("18446744073709551616", u64_max), std::nullopt);
  EXPECT_EQ(parse_unsigned("99999999999999999999", u64_max), std::nullopt);
  EXPECT_EQ(parse_unsigned("9", 9), 9u);
  EXPECT_EQ(parse_unsigned("10", 9), std::nullopt);
  EXPECT_EQ(parse_unsigned("++1", 9), std::nullopt);
}

TEST(EpsilonRules, DifferAtNanAndAtExactlyEpsilon) {
  constexpr float eps = std::numeric_limits<float>::epsilon();
  constexpr float nan = std::numeric_limits<float>::quiet_NaN();
  constexpr float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float x;
    float target;
    bool beyond;
    bool within;
    bool nan_or_beyond;
    bool nan_or_epsilon_or_more;
  } cases[] = {
      {1.0f, 1.0f, false, true, false, false},
      {1.0f + eps, 1.0f, false, false, false, true},
      {1.0f - eps, 1.0f, false, false, false, true},
      {1.0f - eps / 2, 1.0f, false, true, false, false},
      {1.0f + 2 * eps, 1.0f, true, false, true, true},
      {1.0f - 2 * eps, 1.0f, true, false, true, true},
      {nan, 1.0f, false, false, true, true},
      {inf, 1.0f, true, false, true, true},
      {2.0f - eps, 2.0f, false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    EXPECT_EQ(number_beyond_epsilon_of(c.x, c.target), c.beyond);
    EXPECT_EQ(number_within_epsilon_of(c.x, c.target), c.within);
    EXPECT_EQ(nan_or_beyond_epsilon_of(c.x, c.target), c.nan_or_beyond);
    EXPECT_EQ(nan_or_epsilon_or_more_from(c.x, c.target), c.nan_or_epsilon_or_more);
  }
}

TEST(ParseRatio, PlainOrFraction) {
  EXPECT_EQ(parse_ratio("3/2", 1).value(), 1.5f);
  EXPECT_EQ(parse_ratio("2", 1).value(), 2.0f);
  struct Case {
    const char* text;
    const char* message;
  } failures[] = {
      {"1/0", "line 5: ratio has zero denominator"},
      {"1/-0", "line 5: ratio has zero denominator"},
      {"a/2", "line 5: invalid number for ratio numerator: 'a'"},
      {"1/2/3", "line 5: invalid number for ratio denominator: '2/3'"},
      {"x", "line 5: invalid number for ratio: 'x'"},
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(error_text(parse_ratio(c.text, 5).error()), c.message);
  }
}

TEST(SplitDirectives, StartsAtAtFollowedByLetter) {
  using List = std::vector<std::string_view>;
  EXPECT_EQ(split_directives("x @gain 2 @pan -1"), (List{"gain 2", "pan -1"}));
  EXPECT_EQ(split_directives("@label a@b"), (List{"label a", "b"}));
  EXPECT_EQ(split_directives("@@a 1"), (List{"a 1"}));
  EXPECT_EQ(split_directives("@ 1 @1 x@"), List{});
  EXPECT_EQ(split_directives("@a\u3000@b"), (List{"a", "b"}));
}

}  // namespace
}  // namespace voromel::track
