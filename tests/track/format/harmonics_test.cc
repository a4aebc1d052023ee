#include "track/format/harmonics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace voromel::track::format {
namespace {

using song::Curve;
using song::Harmonic;

std::string written(const Harmonic& harmonic) {
  std::string out;
  append_harmonic_line(out, harmonic);
  return out;
}

TEST(HarmonicLines, ReadValues) {
  struct Case {
    const char* line;
    Harmonic harmonic;
  } cases[] = {
      {"sine 1", {"sine", 1, 1, 0}},
      {"saw 0.5", {"saw", 1, 0.5f, 0}},
      {"sub 0.8", {"triangle", 0.5f, 0.8f, 0}},
      {"tri 1", {"triangle", 1, 1, 0}},
      {"fifth 0.25", {"sine", 1.5f, 0.25f, 0}},
      {"octave 0.5", {"sine", 2, 0.5f, 0}},
      {"square 1 duty 0.25", {"soft_square", 1, 1, 0.25f}},
      {"tri@1 1", {"triangle", 1, 1, 0}},
      {"square@3 0.2 duty 0.25", {"soft_square", 3, 0.2f, 0.25f}},
      {"sub@2 1", {"sub", 2, 1, 0}},
      {"octave@3 1", {"octave", 3, 1, 0}},
      {"Sine 1", {"Sine", 1, 1, 0}},
      {"sine 1 duty 0", {"sine", 1, 1, 0}},
      {"sine 1 duty 1 extra", {"sine", 1, 1, 1}},
      {"wave@2 organ 0.3", {"organ", 2, 0.3f, 0}},
      {"wave tri 1", {"tri", 1, 1, 0}},
      {"wave sub 1 duty 0.5", {"sub", 1, 1, 0}},
      {"wave a@b 1", {"a@b", 1, 1, 0}},
      {"wave2 1", {"wave2", 1, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto harmonic = parse_harmonic(c.line, 1);
    ASSERT_TRUE(harmonic.has_value()) << harmonic.error().text();
    EXPECT_EQ(harmonic.value(), c.harmonic);
  }
}

TEST(HarmonicLines, Written) {
  struct Case {
    const char* line;
    const char* written;
  } cases[] = {
      {"sine 1", "sine 1\n"},
      {"octave 0.5", "sine@2 0.5\n"},
      {"fifth 0.25", "sine@1.5 0.25\n"},
      {"sub 0.8", "triangle@0.5 0.8\n"},
      {"tri 1", "triangle 1\n"},
      {"tri@1 1", "triangle 1\n"},
      {"square@3 0.2 duty 0.25", "soft_square@3 0.2 duty 0.25\n"},
      {"sub@2 1", "sub@2 1\n"},
      {"wave@2 organ 0.3", "organ@2 0.3\n"},
      {"sine 1 duty 0", "sine 1\n"},
      {"sine@1.00 2.50", "sine 2.5\n"},
      {"sine@-0 -0", "sine@0 0\n"},
      {"sine@nan nan", "sine@NaN NaN\n"},
      {"sine@inf 1", "sine@inf 1\n"},
      // Names that only the wave form can give.
      {"wave tri 1", "wave tri 1\n"},
      {"wave square 0.5", "wave square 0.5\n"},
      {"wave@2 tri 1", "wave@2 tri 1\n"},
      {"wave a@b 1", "wave a@b 1\n"},
      {"wave @lead 1", "wave @lead 1\n"},
      {"wave wave 1", "wave wave 1\n"},
      {"wave@3 wave@2 1", "wave@3 wave@2 1\n"},
      // Interval aliases keep their name with the multiplier written out.
      {"wave sub 0.5", "sub@1 0.5\n"},
      {"wave fifth 1", "fifth@1 1\n"},
      {"wave octave 1", "octave@1 1\n"},
      {"sub@1 0.5 duty 0.3", "sub@1 0.5 duty 0.3\n"},
      {"wave@0.99999994 sub 1", "sub@0.99999994 1\n"},
      // A leading '#' at column 0 would start a heading.
      {"wave #saw 1", "  #saw 1\n"},
      {"#saw@2 1 duty 0.5", "  #saw@2 1 duty 0.5\n"},
      {"wave #a@b 1", "wave #a@b 1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto harmonic = parse_harmonic(c.line, 1);
    ASSERT_TRUE(harmonic.has_value()) << harmonic.error().text();
    EXPECT_EQ(written(harmonic.value()), c.written);
  }
}

// Every harmonic the reader can give is written as a line that reads back
// to that same harmonic.
TEST(HarmonicLines, EveryReadableHarmonicRoundTrips) {
  const char* names[] = {"sine",  "triangle", "soft_square", "tri",    "square", "sub",
                         "fifth", "octave",   "wave",        "wave@x", "a@b",    "@lead",
                         "#saw",  "#a@b",     "wave2",       "organ",  "Sub",    "ease"};
  const float multipliers[] = {1, 0.5f, 1.5f, 2, 3, 1.0000001f, -4, INFINITY, 0};
  const float duties[] = {0, 0.25f, 1};
  for (const char* name : names) {
    const std::string wave = name;
    const bool wave_form_only =
        wave == "tri" || wave == "square" || wave.find('@') != std::string::npos || wave == "wave";
    for (const float multiplier : multipliers) {
      for (const float duty : duties) {
        if (wave_form_only && duty > 0) continue;
        const Harmonic harmonic{wave, multiplier, 0.75f, duty};
        const std::string line = written(harmonic);
        SCOPED_TRACE(line);
        const auto again = parse_harmonic(line, 1);
        ASSERT_TRUE(again.has_value()) << again.error().text();
        EXPECT_EQ(again.value(), harmonic);
      }
    }
  }
}

TEST(HarmonicLines, MultiplierWithinEpsilonOfOneIsOne) {
  EXPECT_EQ(written({"sine", 0.99999994f, 1, 0}), "sine 1\n");
  EXPECT_EQ(written({"sine", 1.0000001f, 1, 0}), "sine@1.0000001 1\n");
}

TEST(HarmonicLines, Errors) {
  struct Case {
    const char* line;
    const char* message;
  } cases[] = {
      {"", "line 3: empty harmonic line"},
      {"sine", "line 3: missing weight for 'sine'"},
      {"sine@2 x", "line 3: invalid number for sine@2: 'x'"},
      {"sine@x y", "line 3: invalid number for sine@x: 'y'"},
      {"sine@x 1", "line 3: invalid number for multiplier: 'x'"},
      {"sine@ 1", "line 3: invalid number for multiplier: ''"},
      {"sine@2@3 1", "line 3: invalid number for multiplier: '2@3'"},
      {"sine 1 width 0.5", "line 3: unexpected harmonic token 'width' (only 'duty <width>')"},
      {"sine 1 Duty 0.5", "line 3: unexpected harmonic token 'Duty' (only 'duty <width>')"},
      {"sine 1 duty", "line 3: duty needs a value"},
      {"sine 1 duty wide", "line 3: invalid number for duty: 'wide'"},
      {"sine 1 duty 1.5", "line 3: duty must be within 0..1"},
      {"sine 1 duty -0.1", "line 3: duty must be within 0..1"},
      {"sine 1 duty nan", "line 3: duty must be within 0..1"},
      {"wave", "line 3: wave needs <name> <weight>"},
      {"wave@2", "line 3: wave needs <name> <weight>"},
      {"wave@x organ 1", "line 3: invalid number for multiplier: 'x'"},
      {"wave@ organ 1", "line 3: invalid number for multiplier: ''"},
      {"wave organ", "line 3: wave weight needs a value"},
      {"wave organ loud", "line 3: invalid number for wave weight: 'loud'"},
      // Keywords are case-sensitive: "Wave" is a wave name in the short form.
      {"Wave sine 1", "line 3: invalid number for Wave: 'sine'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto harmonic = parse_harmonic(c.line, 3);
    ASSERT_FALSE(harmonic.has_value());
    EXPECT_EQ(harmonic.error().text(), c.message);
  }
}

TEST(HarmonicLines, ApplyAppendsInOrder) {
  song::Sound sound;
  ASSERT_TRUE(apply_harmonic_line(sound, "sine 1", 1).has_value());
  ASSERT_TRUE(apply_harmonic_line(sound, "octave 0.5", 2).has_value());
  ASSERT_FALSE(apply_harmonic_line(sound, "saw", 3).has_value());
  ASSERT_EQ(sound.harmonics.size(), 2u);
  EXPECT_EQ(sound.harmonics[1], (Harmonic{"sine", 2, 0.5f, 0}));
}

TEST(Envelopes, ReadAndWritten) {
  struct Case {
    const char* duration;
    const char* curve;
    song::EnvelopeStage stage;
    const char* written;
  } cases[] = {
      {"0.1", nullptr, {0.1f, Curve::ease()}, "attack 0.1"},
      {"0.1", "ease", {0.1f, Curve::ease()}, "attack 0.1"},
      {"0.1", "ease-in", {0.1f, Curve::ease_in_only()}, "attack 0.1 ease-in"},
      {"0.5", "linear", {0.5f, Curve::linear()}, "attack 0.5 linear"},
      {"2.0", "ease-out", {2, Curve::ease_out_only()}, "attack 2 ease-out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    std::optional<std::string_view> curve;
    if (c.curve) curve = c.curve;
    const auto stage = parse_envelope(c.duration, curve, 1);
    ASSERT_TRUE(stage.has_value()) << stage.error().text();
    EXPECT_EQ(stage.value(), c.stage);
    std::string written;
    append_envelope(written, "attack", stage.value());
    EXPECT_EQ(written, c.written);
  }
}

TEST(Envelopes, Errors) {
  EXPECT_EQ(parse_envelope("fast", std::nullopt, 2).error().text(),
            "line 2: invalid number for duration: 'fast'");
  EXPECT_EQ(parse_envelope("0.1", "bouncy", 2).error().text(),
            "line 2: unknown curve 'bouncy' (expected linear, ease-in, ease-out or ease)");
}

TEST(Modulations, ReadAndWritten) {
  struct Case {
    const char* text;
    song::Modulation modulation;
    const char* written;
  } cases[] = {
      {"5 0.3", {"", 5, 0.3f}, "vibrato 5 0.3"},
      {"5 0.3 sine", {"sine", 5, 0.3f}, "vibrato 5 0.3"},
      {"5 0.3 square", {"soft_square", 5, 0.3f}, "vibrato 5 0.3 soft_square"},
      {"5 0.3 tri", {"triangle", 5, 0.3f}, "vibrato 5 0.3 triangle"},
      {"5 0.3 triangle more", {"triangle", 5, 0.3f}, "vibrato 5 0.3 triangle"},
      {"4.0 .5 organ", {"organ", 4, 0.5f}, "vibrato 4 0.5 organ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    header_format::Tokens tokens(c.text);
    const auto rate = tokens.next();
    const auto modulation = parse_lfo(*rate, tokens, 1, "vibrato");
    ASSERT_TRUE(modulation.has_value()) << modulation.error().text();
    EXPECT_EQ(modulation.value(), c.modulation);
    std::string written;
    append_modulation(written, "vibrato", modulation.value());
    EXPECT_EQ(written, c.written);
  }
}

TEST(Modulations, Errors) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"5", "line 4: tremolo needs <rate> <depth>"},
      {"fast 0.3", "line 4: invalid number for tremolo: 'fast'"},
      {"5 deep", "line 4: invalid number for tremolo: 'deep'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    header_format::Tokens tokens(c.text);
    const auto rate = tokens.next();
    EXPECT_EQ(parse_lfo(*rate, tokens, 4, "tremolo").error().text(), c.message);
  }
}

}  // namespace
}  // namespace voromel::track::format
