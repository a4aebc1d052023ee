#include "track/multisong/tuning.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/track/section_test_support.h"

namespace voromel::track::multisong {
namespace {

using testing::reformat;
using testing::reformat_text;

// 12-tone equal temperament to six and to four decimals: the first passes the
// equal-temperament test, the second misses it.
constexpr const char* six_decimal_12_tet =
    "1 1.059463 1.122462 1.189207 1.259921 1.334840 1.414214 1.498307 1.587401 1.681793 "
    "1.781797 1.887749";
constexpr const char* four_decimal_12_tet =
    "1 1.0595 1.1225 1.1892 1.2599 1.3348 1.4142 1.4983 1.5874 1.6818 1.7818 1.8877";

TEST(Tunings, CanonicalBodies) {
  struct Case {
    std::vector<std::string_view> lines;
    const char* written;
  } cases[] = {
      {{}, "1\n"},
      {{"", " "}, "1\n"},
      {{"equal 12"}, "equal 12\n"},
      {{"equal +12"}, "equal 12\n"},
      {{"equal 53 and more"}, "equal 53\n"},
      {{"equal 0"}, "1\n"},
      {{"equal 1"}, "1\n"},
      {{"1 9/8 5/4 3/2"}, "1 1.125 1.25 1.5\n"},
      {{"1 9/8", "", "5/4 3/2"}, "1 1.125 1.25 1.5\n"},
      {{"period 3/2", "1 1.1"}, "period 1.5\n1 1.1\n"},
      {{"2 4 6"}, "1 2 3\n"},
      {{"0 5"}, "0 5\n"},
      {{"-0 5"}, "0 5\n"},
      {{"period 2", "1 1.5"}, "1 1.5\n"},
      {{"period 2/1", "1 1.5"}, "1 1.5\n"},
      {{"period 3", "1"}, "period 3\n1\n"},
      {{"period 3 extra", "1"}, "period 3\n1\n"},
      // Within one float epsilon of 2 the period is the default.
      {{"period 1.9999999", "1"}, "1\n"},
      {{"period 2.0000002", "1"}, "period 2.0000002\n1\n"},
      {{"period nan", "1"}, "period NaN\n1\n"},
      {{"period 3/2", "equal 7"}, "equal 7\n"},
      {{"1 3", "equal 7"}, "equal 7\n"},
      {{"equal 2", "1.5"}, "1 1.4142135 1.5\n"},
      {{"equal 12", "5/4"},
       "1 1.0594631 1.122462 1.1892071 1.2599211 1.3348398 1.4142135 1.4983071 1.587401 "
       "1.6817929 1.7817974 1.8877486 1.25\n"},
      // An equal-tempered list under another period is written ratio by ratio.
      {{"equal 5", "period 3"}, "period 3\n1 1.1486983 1.319508 1.5157166 1.7411011\n"},
      // Every ratio is divided by a first one that is neither 0 nor 1; a
      // NaN first one makes all NaN, an infinite one is left as it is.
      {{"nan 2"}, "NaN NaN\n"},
      {{"inf 2"}, "inf 2\n"},
      {{"0.5 1e-7"}, "1 0.0000002\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    EXPECT_EQ(reformat<TuningSection>(c.lines), c.written);
  }
}

TEST(Tunings, EqualTemperamentTest) {
  struct Case {
    const char* ratios;
    const char* written;
  } cases[] = {
      {"1 1.4142135", "equal 2"},
      // Within 1e-5 of the ratio relative to it, and just outside.
      {"1 1.41422", "equal 2"},
      {"1 1.41423", "1 1.41423"},
      {"1 1.41420", "equal 2"},
      {"1 1.41419", "1 1.41419"},
      {"1 2", "1 2"},
      {"1 1.25 1.5", "1 1.25 1.5"},
      {six_decimal_12_tet, "equal 12"},
      {four_decimal_12_tet, four_decimal_12_tet},
      // Just intonation and the Pythagorean scale are no equal temperaments.
      {"1 9/8 5/4 4/3 3/2 5/3 15/8", "1 1.125 1.25 1.3333334 1.5 1.6666666 1.875"},
      {"1 256/243 9/8 32/27 81/64 4/3 729/512 3/2 128/81 27/16 16/9 243/128",
       "1 1.0534979 1.125 1.1851852 1.265625 1.3333334 1.4238281 1.5 1.5802469 1.6875 "
       "1.7777778 1.8984375"},
      {"1 1.4142135 nan", "1 1.4142135 NaN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ratios);
    EXPECT_EQ(reformat<TuningSection>({c.ratios}), std::string(c.written) + "\n");
  }
}

TEST(Tunings, RealTuningsRoundTripAsEqualLines) {
  for (const std::uint64_t steps : {5, 7, 12, 19, 22, 24, 31, 41, 53, 72, 665, 1200, 65536}) {
    SCOPED_TRACE(steps);
    const std::string line = "equal " + std::to_string(steps) + "\n";
    EXPECT_EQ(reformat_text<TuningSection>(line), line);
    std::string written;
    TuningSection::serialize(song::Tuning::equal(steps), written);
    EXPECT_EQ(written, line);
  }
}

TEST(Tunings, ErrorsNameTheFileLineAndTheLineWithinTheBlock) {
  struct Case {
    std::vector<std::string_view> lines;
    const char* error;
  } cases[] = {
      {{"equal"}, "line 1: line 1: equal needs a step count"},
      {{"equal -12"}, "line 1: line 1: invalid step count '-12'"},
      {{"equal 12.0"}, "line 1: line 1: invalid step count '12.0'"},
      {{"equal +"}, "line 1: line 1: invalid step count '+'"},
      {{"equal 0x10"}, "line 1: line 1: invalid step count '0x10'"},
      {{"equal 18446744073709551616"}, "line 1: line 1: invalid step count '18446744073709551616'"},
      {{"period"}, "line 1: line 1: period needs a ratio"},
      {{"period 1/0"}, "line 1: line 1: ratio has zero denominator"},
      {{"period a/2"}, "line 1: line 1: invalid number for ratio numerator: 'a'"},
      {{"1 1/2/3"}, "line 1: line 1: invalid number for ratio denominator: '2/3'"},
      {{"1/-0"}, "line 1: line 1: ratio has zero denominator"},
      {{"1", "", "1.5 x 2"}, "line 3: line 3: invalid number for ratio: 'x'"},
      // Keywords are case-sensitive: anything else is a ratio line.
      {{"Equal 12"}, "line 1: line 1: invalid number for ratio: 'Equal'"},
      {{"periods 3"}, "line 1: line 1: invalid number for ratio: 'periods'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(reformat<TuningSection>(c.lines), std::string("error: ") + c.error);
  }
}

TEST(Tunings, ErrorLineMovesWithTheBlock) {
  const auto tuning = TuningSection::parse(std::vector<std::string_view>{"1", "equal"});
  ASSERT_FALSE(tuning.has_value());
  EXPECT_EQ(tuning.error().shifted(20).text(), "line 21: line 2: equal needs a step count");
}

TEST(Tunings, EmptyLineIsRefused) {
  song::Tuning tuning;
  EqualRatioBudget budget;
  EXPECT_EQ(apply_tuning_line(tuning, "", 3, budget).error().text(), "line 3: empty tuning line");
}

TEST(Tunings, StepCountPerLineIsBounded) {
  EXPECT_EQ(reformat<TuningSection>({"equal 65537"}),
            "error: line 1: line 1: step count '65537' is too large (at most 65536)");
  EXPECT_EQ(reformat<TuningSection>({"equal 18446744073709551615"}),
            "error: line 1: line 1: step count '18446744073709551615' is too large (at most "
            "65536)");
  // A longer list that passes the test is written out ratio by ratio, and
  // reads back as the same list.
  song::Tuning tuning;
  for (std::uint64_t i = 0; i < 65537; ++i)
    tuning.ratios.push_back(song::equal_step_ratio(i, 65537));
  std::string longer;
  TuningSection::serialize(tuning, longer);
  EXPECT_EQ(longer.substr(0, 12), "1 1.0000106 ");
  EXPECT_EQ(longer.substr(longer.size() - 11), " 1.9999789\n");
  EXPECT_TRUE(reformat_text<TuningSection>(longer) == longer);
}

TEST(Tunings, EqualRatiosOfADocumentAreBounded) {
  EqualRatioBudget budget;
  const auto parse = [&](std::vector<std::string_view> lines) {
    return TuningSection::parse(lines, budget);
  };
  for (int block = 0; block < 31; ++block) ASSERT_TRUE(parse({"equal 65536"}));
  ASSERT_TRUE(parse({"equal 65534"}));
  // "equal 0" makes one ratio too.
  ASSERT_TRUE(parse({"equal 0"}));
  const auto refused = parse({"1 1.5", "equal +2"});
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error().text(),
            "line 2: line 2: step count '+2' is too large (at most 1 more steps in this "
            "document)");
  EXPECT_EQ(budget.left(), 1u);
  EXPECT_TRUE(parse({"equal 1"}));
  EXPECT_EQ(budget.left(), 0u);
}

TEST(Tunings, OneBlockAloneHasTheDocumentAllowance) {
  const std::vector<std::string_view> lines(33, "equal 65536");
  EXPECT_EQ(reformat<TuningSection>(lines),
            "error: line 33: line 33: step count '65536' is too large (at most 0 more steps in "
            "this document)");
}

TEST(Tunings, WriterKeepsWithinTheDocumentAllowance) {
  // What the writer writes as "equal" lines must read back within the
  // allowance: once it is spent, equal temperaments are written out.
  EqualRatioBudget budget;
  ASSERT_TRUE(budget.take(max_equal_ratios_per_document - 7));
  std::string out;
  TuningSection::serialize(song::Tuning::equal(5), out, budget);
  TuningSection::serialize(song::Tuning::equal(5), out, budget);
  TuningSection::serialize(song::Tuning::equal(2), out, budget);
  EXPECT_EQ(out, "equal 5\n1 1.1486983 1.319508 1.5157166 1.7411011\nequal 2\n");
  EXPECT_EQ(budget.left(), 0u);
}

TEST(Tunings, RoundTrip) {
  const std::string once = reformat<TuningSection>({"period 3/2", "2 3 5", "inf"});
  EXPECT_EQ(once, "period 1.5\n1 1.5 2.5 inf\n");
  EXPECT_EQ(reformat_text<TuningSection>(once), once);
  EXPECT_EQ(reformat_text<TuningSection>(six_decimal_12_tet), "equal 12\n");
}

}  // namespace
}  // namespace voromel::track::multisong
