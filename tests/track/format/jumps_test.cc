#include "track/format/jumps.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace voromel::track::format {
namespace {

using song::Comparison;
using song::Jump;
using song::JumpCondition;
using song::JumpTransition;
using song::TempoChange;

LineResult<Jump> parse(const std::string& clauses, std::string_view label = "jump") {
  header_format::Tokens tokens(clauses);
  return parse_jump_clauses(tokens, 7, label, "chorus");
}

std::string written(const Jump& jump) {
  std::string out;
  append_jump_clauses(out, jump);
  return out;
}

TEST(JumpClauses, ReadAndWrittenBackCanonically) {
  struct Case {
    const char* clauses;
    const char* written;
  } cases[] = {
      {"", ""},
      {"0", ""},
      {"-0", ""},
      {"4", " 4"},
      {"+2.50", " 2.5"},
      {"nan", " NaN"},
      {"-inf", " -inf"},
      {"1e20", " 100000000000000000000"},
      {"tempo 140", " tempo 140"},
      {"tempo -0", " tempo -0"},
      {"tempo *2", " tempo \u00d72"},
      {"tempo \u00d72", " tempo \u00d72"},
      {"tempo *-0", " tempo \u00d7-0"},
      {"tempo *1e-7", " tempo \u00d70.0000001"},
      {"via fill sound crash", " via fill sound crash"},
      {"via if sound tempo", " via if sound tempo"},
      {"if energy >= 0.75", " if energy >= 0.75"},
      {"if random == 1e-7", " if random == 0.0000001"},
      {"if x <= -0", " if x <= -0"},
      {"if x != NAN", " if x != NaN"},
      {"if plays >= +2", " if plays >= 2"},
      {"if plays == 007", " if plays == 7"},
      {"if plays > 16777217", " if plays > 16777216"},
      {"if plays < 4294967295", " if plays < 4294967295"},
      {"4 tempo *1.5 via fill sound crash if plays < 3",
       " 4 tempo \u00d71.5 via fill sound crash if plays < 3"},
      {"  2\t tempo   90  if random < 0.5 ", " 2 tempo 90 if random < 0.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clauses);
    const auto jump = parse(c.clauses);
    ASSERT_TRUE(jump.has_value()) << jump.error().text();
    EXPECT_EQ(written(jump.value()), c.written);
    const auto again = parse(std::string(c.written));
    ASSERT_TRUE(again.has_value()) << again.error().text();
    EXPECT_EQ(written(again.value()), c.written);
  }
}

TEST(JumpClauses, ReadsEveryField) {
  const auto jump = parse("4 tempo *1.5 via fill sound crash if plays < 3");
  ASSERT_TRUE(jump.has_value());
  const Jump expected{"chorus", 4.0f, TempoChange::carry_factor(1.5f),
                      JumpTransition{"fill", "crash"},
                      JumpCondition{JumpCondition::Source::Plays, "", Comparison::Less, 3.0f}};
  EXPECT_EQ(jump.value(), expected);
}

TEST(JumpClauses, ConditionSourcesAndComparisons) {
  struct Case {
    const char* clauses;
    JumpCondition condition;
  } cases[] = {
      {"if plays < 1", {JumpCondition::Source::Plays, "", Comparison::Less, 1.0f}},
      {"if random <= 0.5", {JumpCondition::Source::Random, "", Comparison::LessOrEqual, 0.5f}},
      {"if energy > 2", {JumpCondition::Source::Parameter, "energy", Comparison::Greater, 2.0f}},
      {"if Plays >= 2", {JumpCondition::Source::Parameter, "Plays", Comparison::GreaterOrEqual, 2}},
      {"if tempo == -1", {JumpCondition::Source::Parameter, "tempo", Comparison::Equal, -1.0f}},
      {"if random != 0", {JumpCondition::Source::Random, "", Comparison::NotEqual, 0.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clauses);
    const auto jump = parse(c.clauses);
    ASSERT_TRUE(jump.has_value()) << jump.error().text();
    EXPECT_EQ(jump.value().condition, c.condition);
  }
}

TEST(JumpClauses, Errors) {
  struct Case {
    const char* label;
    const char* clauses;
    const char* message;
  } cases[] = {
      {"jump", "fast", "line 7: invalid number for jump skip: 'fast'"},
      {"jump-at", "fast", "line 7: invalid number for jump-at skip: 'fast'"},
      {"jump", "tempo", "line 7: jump 'tempo' needs a value"},
      {"jump-at", "4 tempo", "line 7: jump-at 'tempo' needs a value"},
      {"jump", "tempo \u00d7", "line 7: invalid number for jump tempo carry factor: ''"},
      {"jump-at", "tempo *x", "line 7: invalid number for jump tempo carry factor: 'x'"},
      {"jump", "tempo **2", "line 7: invalid number for jump tempo carry factor: '*2'"},
      {"jump-at", "tempo x2", "line 7: invalid number for jump tempo: 'x2'"},
      {"jump", "via", "line 7: jump 'via' needs a motif name"},
      {"jump-at", "via fill", "line 7: jump-at 'via' needs 'sound <name>'"},
      {"jump", "via fill with crash", "line 7: expected 'sound', got 'with'"},
      {"jump", "via fill Sound crash", "line 7: expected 'sound', got 'Sound'"},
      {"jump-at", "via fill sound", "line 7: jump-at 'via sound' needs a sound name"},
      {"jump", "via fill sound crash tempo 90", "line 7: expected 'if', got 'tempo'"},
      {"jump", "tempo 90 tempo 80", "line 7: expected 'if', got 'tempo'"},
      {"jump", "via a sound b via c sound d", "line 7: expected 'if', got 'via'"},
      {"jump", "4 5", "line 7: expected 'if', got '5'"},
      {"jump", "4 If plays < 2", "line 7: expected 'if', got 'If'"},
      {"jump", "if", "line 7: condition needs a source"},
      {"jump", "if energy", "line 7: condition needs a comparison"},
      {"jump", "if plays = 2", "line 7: unknown comparison '='"},
      {"jump", "if plays => 2", "line 7: unknown comparison '=>'"},
      {"jump", "if energy >", "line 7: condition needs a value"},
      {"jump", "if plays >= 2.5", "line 7: plays condition needs a whole number, got '2.5'"},
      {"jump", "if plays >= -1", "line 7: plays condition needs a whole number, got '-1'"},
      {"jump", "if plays >= 2e1", "line 7: plays condition needs a whole number, got '2e1'"},
      {"jump", "if plays >= 4294967296",
       "line 7: plays condition needs a whole number, got '4294967296'"},
      {"jump", "if random < half", "line 7: invalid number for condition value: 'half'"},
      {"jump", "if random < 0.5 now", "line 7: extra tokens after condition"},
      {"jump", "if plays < 2 if plays < 3", "line 7: extra tokens after condition"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clauses);
    const auto jump = parse(c.clauses, c.label);
    ASSERT_FALSE(jump.has_value());
    EXPECT_EQ(jump.error().text(), c.message);
  }
}

TEST(JumpClauses, WriterOrderAndSkipOfZero) {
  Jump jump;
  jump.target = "x";
  jump.condition = JumpCondition{JumpCondition::Source::Random, "", Comparison::Less, 0.25f};
  jump.transition = JumpTransition{"m", "s"};
  jump.tempo_change = TempoChange::absolute(90);
  jump.skip = -0.0f;
  EXPECT_EQ(written(jump), " tempo 90 via m sound s if random < 0.25");
  jump.skip = 0.5f;
  EXPECT_EQ(written(jump), " 0.5 tempo 90 via m sound s if random < 0.25");
}

TEST(JumpClauses, PlaysValueIsWrittenAsAClampedWholeNumber) {
  struct Case {
    float value;
    const char* written;
  } cases[] = {
      {2.9f, " if plays == 2"},
      {-3.0f, " if plays == 0"},
      {-0.5f, " if plays == 0"},
      {std::numeric_limits<float>::quiet_NaN(), " if plays == 0"},
      {1e10f, " if plays == 4294967295"},
      {4294967296.0f, " if plays == 4294967295"},
      {4294967040.0f, " if plays == 4294967040"},
      {std::numeric_limits<float>::infinity(), " if plays == 4294967295"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Jump jump;
    jump.condition = JumpCondition{JumpCondition::Source::Plays, "", Comparison::Equal, c.value};
    EXPECT_EQ(written(jump), c.written);
  }
}

TEST(JumpClauses, NumbersReadBackBitForBit) {
  std::uint32_t bits = 0x3f800001u;
  for (int i = 0; i < 2000; ++i) {
    bits = bits * 1664525u + 1013904223u;
    const float value = std::bit_cast<float>(bits);
    if (std::isnan(value)) continue;
    Jump jump;
    jump.skip = value;
    jump.tempo_change = TempoChange::carry_factor(value);
    jump.condition = JumpCondition{JumpCondition::Source::Parameter, "p", Comparison::Less, value};
    const auto again = parse(written(jump).substr(1));
    ASSERT_TRUE(again.has_value()) << again.error().text();
    if (value != 0.0f) {
      EXPECT_EQ(std::bit_cast<std::uint32_t>(again.value().skip), bits);
    }
    EXPECT_EQ(std::bit_cast<std::uint32_t>(again.value().tempo_change.value), bits);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(again.value().condition->value), bits);
  }
}

}  // namespace
}  // namespace voromel::track::format
