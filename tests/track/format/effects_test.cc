#include "track/format/effects.h"

#include <gtest/gtest.h>

#include <string>

namespace voromel::track::format {
namespace {

using song::Effect;

TEST(Effects, EachKindIsWrittenWithEveryField) {
  struct Case {
    const char* text;
    const char* written;
  } cases[] = {
      {"lowpass 800", "lowpass 800"},
      {"highpass 120.50", "highpass 120.5"},
      {"lowpass param cutoff 8000 200", "lowpass param cutoff 8000 200"},
      {"highpass param sweep 2e3 .5", "highpass param sweep 2000 0.5"},
      {"echo 0.25 0.5 0.3", "echo 0.25 0.5 0.3"},
      {"tremolo 4 0.5 extra", "tremolo 4 0.5"},
      {"bitcrusher 8", "bitcrusher 8"},
      {"compressor 0.5 4", "compressor 0.5 4 0.005 0.1"},
      {"compressor 0.5 4 0.01", "compressor 0.5 4 0.01 0.1"},
      {"compressor 0.5 4 0.01 0.2 x", "compressor 0.5 4 0.01 0.2"},
      {"eq 3 -2", "eq 3 -2 300 3000"},
      {"eq 3 -2 100 8000", "eq 3 -2 100 8000"},
      {"delay_sync 0.5 0.4 0.3", "delay_sync 0.5 0.4 0.3"},
      {"reverb 0.5 0.5 0.3", "reverb 0.5 0.5 0.3 0.01"},
      {"reverb 0.5 0.5 0.3 0.05", "reverb 0.5 0.5 0.3 0.05"},
      {"reverb hall", "reverb hall"},
      {"reverb hall 0.5", "reverb hall"},
      {"  echo\t0.25   0.5 0.3  ", "echo 0.25 0.5 0.3"},
      {"lowpass -0", "lowpass 0"},
      {"echo inf -inf nan", "echo inf -inf NaN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto effect = parse_effect(c.text, 1);
    ASSERT_TRUE(effect.has_value()) << effect.error().text();
    EXPECT_EQ(format_effect(effect.value()), c.written);
  }
}

TEST(Effects, ClampsApplyToTheValuesRead) {
  struct Case {
    const char* text;
    const char* written;
  } cases[] = {
      {"bitcrusher 8.9", "bitcrusher 8"},
      {"bitcrusher 40", "bitcrusher 16"},
      {"bitcrusher 0", "bitcrusher 1"},
      {"bitcrusher -inf", "bitcrusher 1"},
      {"bitcrusher inf", "bitcrusher 16"},
      {"bitcrusher 16.9", "bitcrusher 16"},
      {"compressor 1.5 0.5 -1", "compressor 1 1 0 0.1"},
      {"compressor -0.5 2 0.1 -3", "compressor 0 2 0.1 0"},
      {"eq 3 -2 0.5", "eq 3 -2 1 3000"},
      {"eq 3 -2 300 -10", "eq 3 -2 300 1"},
      {"delay_sync -1 0.4 0.3", "delay_sync 0 0.4 0.3"},
      {"reverb 2 0.5 1.5 -3", "reverb 1 0.5 1 0"},
      {"reverb -1 2 -0.5", "reverb 0 1 0 0.01"},
      // Not-a-number goes to the lower bound of a clamped field.
      {"bitcrusher nan", "bitcrusher 1"},
      {"compressor nan nan nan nan", "compressor 0 1 0 0"},
      {"eq nan nan nan nan", "eq NaN NaN 1 1"},
      {"delay_sync nan nan nan", "delay_sync 0 NaN NaN"},
      {"reverb nan nan nan nan", "reverb 0 0 0 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto effect = parse_effect(c.text, 1);
    ASSERT_TRUE(effect.has_value()) << effect.error().text();
    const std::string written = format_effect(effect.value());
    EXPECT_EQ(written, c.written);
    const auto again = parse_effect(written, 1);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(format_effect(again.value()), written);
  }
}

TEST(Effects, ValuesAndDefaults) {
  EXPECT_EQ(parse_effect("compressor 0.5 4", 1).value(),
            (Effect{Effect::Compressor{0.5f, 4, 0.005f, 0.1f}}));
  EXPECT_EQ(parse_effect("eq 3 -2", 1).value(), (Effect{Effect::Eq{3, -2, 300, 3000}}));
  EXPECT_EQ(parse_effect("reverb 0.5 0.5 0.3", 1).value(),
            (Effect{Effect::Reverb{0.5f, 0.5f, 0.3f, 0.01f}}));
  EXPECT_EQ(parse_effect("reverb hall", 1).value(), (Effect{Effect::ReverbPresetName{"hall"}}));
  EXPECT_EQ(parse_effect("lowpass param cutoff 8000 200", 1).value(),
            (Effect{Effect::LowpassParam{"cutoff", 8000, 200}}));
  EXPECT_EQ(parse_effect("highpass 90", 1).value(), (Effect{Effect::Highpass{90}}));
  EXPECT_EQ(parse_effect("bitcrusher 8.9", 1).value(), (Effect{Effect::Bitcrusher{8}}));
}

TEST(Effects, Errors) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"", "line 7: effect needs a type"},
      {"   ", "line 7: effect needs a type"},
      {"chorus 1", "line 7: unknown effect 'chorus'"},
      {"Lowpass 800", "line 7: unknown effect 'Lowpass'"},
      {"lowpass", "line 7: effect 'lowpass' missing cutoff"},
      {"highpass", "line 7: effect 'highpass' missing cutoff"},
      {"lowpass x", "line 7: invalid number for cutoff: 'x'"},
      {"lowpass param", "line 7: effect 'lowpass param' needs a parameter name"},
      {"highpass param", "line 7: effect 'highpass param' needs a parameter name"},
      {"lowpass param cutoff", "line 7: effect 'lowpass param' missing max cutoff"},
      {"highpass param cutoff 8000", "line 7: effect 'highpass param' missing min cutoff"},
      {"lowpass param cutoff 8k 200", "line 7: invalid number for max cutoff: '8k'"},
      {"lowpass param cutoff 8000 low", "line 7: invalid number for min cutoff: 'low'"},
      {"echo 0.25 0.5", "line 7: effect 'echo' missing mix"},
      {"echo 0.25", "line 7: effect 'echo' missing feedback"},
      {"echo", "line 7: effect 'echo' missing delay"},
      {"echo x 0.5 0.3", "line 7: invalid number for delay: 'x'"},
      {"tremolo 4", "line 7: effect 'tremolo' missing depth"},
      {"tremolo fast 1", "line 7: invalid number for rate: 'fast'"},
      {"bitcrusher", "line 7: effect 'bitcrusher' missing bits"},
      {"bitcrusher eight", "line 7: invalid number for bits: 'eight'"},
      {"compressor 0.5", "line 7: effect 'compressor' missing ratio"},
      {"compressor 0.5 4 fast", "line 7: invalid number for compressor attack: 'fast'"},
      {"compressor 0.5 4 0.1 slow", "line 7: invalid number for compressor release: 'slow'"},
      {"eq", "line 7: effect 'eq' missing low_db"},
      {"eq 3 x", "line 7: invalid number for high_db: 'x'"},
      {"eq 3 -2 low", "line 7: invalid number for eq low_freq: 'low'"},
      {"eq 3 -2 300 high", "line 7: invalid number for eq high_freq: 'high'"},
      {"delay_sync 1 0.5", "line 7: effect 'delay_sync' missing mix"},
      {"delay_sync one 0.5 0.3", "line 7: invalid number for beats: 'one'"},
      {"reverb", "line 7: effect 'reverb' missing room_size"},
      {"reverb 0.5", "line 7: effect 'reverb' missing decay"},
      {"reverb 0.5 0.5 wet", "line 7: invalid number for mix: 'wet'"},
      {"reverb 0.5 0.5 0.3 soon", "line 7: invalid number for reverb predelay: 'soon'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto effect = parse_effect(c.text, 7);
    ASSERT_FALSE(effect.has_value());
    EXPECT_EQ(effect.error().text(), c.message);
  }
}

}  // namespace
}  // namespace voromel::track::format
