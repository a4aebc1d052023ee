#include "track/format/sounds.h"
#include "tests/track/section_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace voromel::track::format {
namespace {

using song::Sound;
using song::VoiceOverride;
using song::VoiceParameter;

track::testing::BodyLines lines_of(std::string_view body) {
  return track::testing::BodyLines(body);
}

Sound parsed(std::string_view body) {
  auto sound = parse_sound(lines_of(body));
  EXPECT_TRUE(sound.has_value()) << sound.error().text();
  return sound.has_value() ? sound.value() : Sound{};
}

std::string rewritten(std::string_view body) {
  std::string out;
  append_sound(out, parsed(body));
  return out;
}

TEST(SoundDirectives, Written) {
  struct Case {
    const char* body;
    const char* written;
  } cases[] = {
      {"", ""},
      {"sine 1\n@attack 0.01", "sine 1\n@attack 0.01\n"},
      {"@volume 0.5 loud", "@volume 0.5\n"},
      {"@volume 1.5", "@volume 1.5\n"},
      {"@sustain 0.7", "@sustain 0.7\n"},
      {"@noise 0.2", "@noise 0.2\n"},
      {"@detune 3", "@detune 3\n"},
      {"@distortion 0.4", "@distortion 0.4\n"},
      {"@vol-jitter 0.1", "@vol-jitter 0.1\n"},
      {"@duty_sweep -0.5", "@duty_sweep -0.5\n"},
      {"@volume nan", "@volume NaN\n"},
      {"@sustain nan", "@sustain NaN\n"},
      {"@noise nan", "@noise NaN\n"},
      {"@steps +8", "@steps 8\n"},
      {"@steps 4294967295", "@steps 4294967295\n"},
      {"@attack 0.1 ease", "@attack 0.1\n"},
      {"@attack 0.1 ease-in", "@attack 0.1 ease-in\n"},
      {"@release 0.5 linear more", "@release 0.5 linear\n"},
      {"@decay 0.25 ease-out", "@decay 0.25 ease-out\n"},
      {"@vibrato 5 0.3 sine", "@vibrato 5 0.3\n"},
      {"@vibrato 5 0.3", "@vibrato 5 0.3\n"},
      {"@vibrato 5 0.3 square", "@vibrato 5 0.3 soft_square\n"},
      {"@tremolo 4 0.5 triangle", "@tremolo 4 0.5 triangle\n"},
      {"@slide 2 0.1", "@slide 2 0.1\n"},
      {"@slide -12 0.05 up", "@slide -12 0.05\n"},
      {"@filter 800", "@filter 800\n"},
      {"@filter 800 0 0.5", "@filter 800\n"},
      {"@filter 800 1 0.5", "@filter 800 1 0.5\n"},
      {"@filter 800 1 0.5 linear", "@filter 800 1 0.5 linear\n"},
      {"@filter 800 1 0.5 ease", "@filter 800 1 0.5\n"},
      {"@filter 800 -1 0", "@filter 800 -1\n"},
      {"@filter 800 nan", "@filter 800 NaN\n"},
      {"@arpeggio 0 4 7 rate 8", "@arpeggio 0 4 7 rate 8\n"},
      {"@arpeggio 0.0 -12 rate 16.5 x", "@arpeggio 0 -12 rate 16.5\n"},
      {"@voice choir tilt 0.5 ensemble 4", "@voice choir tilt 0.5 ensemble 4\n"},
      {"@voice choir ensemble 1", "@voice choir\n"},
      {"@voice choir ensemble +18446744073709551615",
       "@voice choir ensemble 18446744073709551615\n"},
      {"@voice solo formant-shift -2 breathiness 0.3 vibrato 0.1",
       "@voice solo formant-shift -2 breathiness 0.3 vibrato 0.1\n"},
      {"@voice choir tilt 0.5\n@voice alto breathiness 0.2",
       "@voice alto tilt 0.5 breathiness 0.2\n"},
      {"@voice choir ensemble 4\n@voice alto", "@voice alto ensemble 4\n"},
      {"@sample \"kick.wav\"", "@sample \"kick.wav\"\n"},
      {"@sample \"kick.wav\" @0..64", "@sample \"kick.wav\" @ 0..64\n"},
      {"@sample \"kick.wav\" @ 0..64", "@sample \"kick.wav\" @ 0..64\n"},
      {"@sample \"my   kick.wav\" @-inf..60.0 rest", "@sample \"my kick.wav\" @ -inf..60\n"},
      {"@sample \"hi.wav\" @ 1...5", "@sample \"hi.wav\" @ 1..0.5\n"},
      {"@sample \"hi.wav\" @ 80..20", "@sample \"hi.wav\" @ 80..20\n"},
      {"@sample \"x.wav\" @-inf..inf", "@sample \"x.wav\"\n"},
      {"@sample \"\"", "@sample \"\"\n"},
      {"@sample \" kick.wav \"", "@sample \" kick.wav \"\n"},
      {"@sample \"a\"b\"", "@sample \"a\"b\"\n"},
      {"@sample \"a.wav\"\n@sample \"b.wav\" @ 0..1",
       "@sample \"a.wav\"\n@sample \"b.wav\" @ 0..1\n"},
      {"  \t\n\nsine 1\n\n", "sine 1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(rewritten(c.body), c.written);
  }
}

TEST(SoundDirectives, ReadButNotWritten) {
  const char* bodies[] = {
      "@volume 1",
      "@volume 1.00000011920929",
      "@sustain 1",
      "@detune -0",
      "@noise 0",
      "@steps 0",
      "@attack 0",
      "@decay -1 linear",
      "@release nan",
      "@vibrato 5 0",
      "@tremolo 4 -0.5 square",
      "@slide 2 0",
      "@slide 2 -1",
      "@filter 0 1 0.5",
      "@filter -100 1",
      "@filter nan 1",
  };
  for (const char* body : bodies) {
    SCOPED_TRACE(body);
    EXPECT_EQ(rewritten(body), "");
  }
}

TEST(SoundDirectives, WriterKeepsItsFixedOrder) {
  const char* body =
      "@volume 0.8\n"
      "@duty_sweep 0.1\n"
      "@filter 1200 0.5 0.2 linear\n"
      "@slide 1 0.2\n"
      "@tremolo 3 0.2\n"
      "@vibrato 5 0.3 tri\n"
      "@noise 0.1\n"
      "@sustain 0.6\n"
      "@release 0.4\n"
      "@decay 0.2\n"
      "@attack 0.01\n"
      "@steps 4\n"
      "@vol-jitter 0.05\n"
      "@detune 7\n"
      "@distortion 0.3\n"
      "@arpeggio 0 7 rate 12\n"
      "@voice choir tilt 1\n"
      "@sample \"a.wav\" @0..60\n"
      "sine 1\n"
      "@sample \"b.wav\"\n"
      "octave 0.5 duty 0.5\n";
  EXPECT_EQ(rewritten(body),
            "sine 1\n"
            "sine@2 0.5 duty 0.5\n"
            "@sample \"a.wav\" @ 0..60\n"
            "@sample \"b.wav\"\n"
            "@voice choir tilt 1\n"
            "@arpeggio 0 7 rate 12\n"
            "@distortion 0.3\n"
            "@detune 7\n"
            "@vol-jitter 0.05\n"
            "@steps 4\n"
            "@attack 0.01\n"
            "@decay 0.2\n"
            "@release 0.4\n"
            "@sustain 0.6\n"
            "@noise 0.1\n"
            "@vibrato 5 0.3 triangle\n"
            "@tremolo 3 0.2\n"
            "@slide 1 0.2\n"
            "@filter 1200 0.5 0.2 linear\n"
            "@duty_sweep 0.1\n"
            "@volume 0.8\n");
}

TEST(SoundDirectives, Values) {
  const Sound voices = parsed("@voice choir tilt 0.5\n@voice alto breathiness 0.2 ensemble 3");
  EXPECT_EQ(voices.voice, "alto");
  EXPECT_EQ(voices.voice_overrides,
            (std::vector<VoiceOverride>{{VoiceParameter::Tilt, 0.5f},
                                        {VoiceParameter::Breathiness, 0.2f}}));
  EXPECT_EQ(voices.ensemble, 3u);

  const Sound samples = parsed("@sample \"my kick.wav\"\n@sample \"s.wav\" @ -2..64");
  ASSERT_EQ(samples.samples.size(), 2u);
  EXPECT_EQ(samples.samples[0].file, "my kick.wav");
  EXPECT_EQ(samples.samples[0].low, -INFINITY);
  EXPECT_EQ(samples.samples[0].high, INFINITY);
  EXPECT_EQ(samples.samples[1].low, -2);
  EXPECT_EQ(samples.samples[1].high, 64);

  // A later "@filter" sets only the values it gives.
  const Sound filter = parsed("@filter 800 1 0.5 linear\n@filter 900");
  EXPECT_EQ(filter.filter_cutoff, 900);
  EXPECT_EQ(filter.filter_env, 1);
  EXPECT_EQ(filter.filter_envelope, (song::EnvelopeStage{0.5f, song::Curve::linear()}));

  const Sound later = parsed("@volume 0.5\n@volume 0.25\n@vibrato 5 0.3 saw\n@vibrato 6 0.1");
  EXPECT_EQ(later.volume, 0.25f);
  EXPECT_EQ(later.vibrato, (song::Modulation{"", 6, 0.1f}));

  EXPECT_EQ(parsed("").harmonics.size(), 0u);
  EXPECT_EQ(parsed(""), Sound{});
}

TEST(SoundDirectives, Errors) {
  struct Case {
    const char* body;
    const char* message;
  } cases[] = {
      {"@Volume 1", "line 1: line 1: unknown sound directive 'Volume'"},
      {"@", "line 1: line 1: unknown sound directive ''"},
      {"@ volume 1", "line 1: line 1: unknown sound directive ''"},
      {"sine 1\n\n@gain 2", "line 3: line 3: unknown sound directive 'gain'"},
      {"@volume", "line 1: line 1: volume needs a value"},
      {"@volume loud", "line 1: line 1: invalid number for volume: 'loud'"},
      {"@noise x", "line 1: line 1: invalid number for noise: 'x'"},
      {"@detune", "line 1: line 1: detune needs a value"},
      {"@sustain x", "line 1: line 1: invalid number for sustain: 'x'"},
      {"@distortion x", "line 1: line 1: invalid number for distortion: 'x'"},
      {"@vol-jitter", "line 1: line 1: vol-jitter needs a value"},
      {"@duty_sweep x", "line 1: line 1: invalid number for duty_sweep: 'x'"},
      {"@steps", "line 1: line 1: steps needs a value"},
      {"@steps 4294967296", "line 1: line 1: invalid steps count '4294967296'"},
      {"@steps -1", "line 1: line 1: invalid steps count '-1'"},
      {"@steps 3.0", "line 1: line 1: invalid steps count '3.0'"},
      {"@slide", "line 1: line 1: slide amount needs a value"},
      {"@slide 2", "line 1: line 1: slide time needs a value"},
      {"@slide up 1", "line 1: line 1: invalid number for slide amount: 'up'"},
      {"@slide 2 soon", "line 1: line 1: invalid number for slide time: 'soon'"},
      {"@attack", "line 1: line 1: attack needs a duration"},
      {"@decay", "line 1: line 1: decay needs a duration"},
      {"@release", "line 1: line 1: release needs a duration"},
      {"@attack fast", "line 1: line 1: invalid number for duration: 'fast'"},
      {"@attack 0.1 bouncy",
       "line 1: line 1: unknown curve 'bouncy' (expected linear, ease-in, ease-out or ease)"},
      {"@filter", "line 1: line 1: filter cutoff needs a value"},
      {"@filter high", "line 1: line 1: invalid number for filter cutoff: 'high'"},
      {"@filter 800 lots", "line 1: line 1: invalid number for filter env: 'lots'"},
      {"@filter 800 1 slow", "line 1: line 1: invalid number for duration: 'slow'"},
      {"@filter 800 1 0.5 Linear",
       "line 1: line 1: unknown curve 'Linear' (expected linear, ease-in, ease-out or ease)"},
      {"@vibrato", "line 1: line 1: vibrato needs <rate> <depth>"},
      {"@vibrato 5", "line 1: line 1: vibrato needs <rate> <depth>"},
      {"@tremolo", "line 1: line 1: tremolo needs <rate> <depth>"},
      {"@tremolo 4 x", "line 1: line 1: invalid number for tremolo: 'x'"},
      {"@arpeggio", "line 1: line 1: arpeggio needs offsets"},
      {"@arpeggio 0 4 7", "line 1: line 1: arpeggio needs 'rate <steps per second>'"},
      {"@arpeggio 0 rate 0", "line 1: line 1: arpeggio needs 'rate <steps per second>'"},
      {"@arpeggio rate 8", "line 1: line 1: invalid number for arpeggio offset: 'rate'"},
      {"@voice", "line 1: line 1: voice needs a preset name"},
      {"@voice choir loud", "line 1: line 1: unknown voice parameter 'loud'"},
      {"@voice choir Tilt 1", "line 1: line 1: unknown voice parameter 'Tilt'"},
      {"@voice choir tilt", "line 1: line 1: tilt needs a value"},
      {"@voice choir formant-shift up", "line 1: line 1: invalid number for formant-shift: 'up'"},
      {"@voice choir ensemble", "line 1: line 1: voice 'ensemble' needs a singer count"},
      {"@voice choir ensemble -2", "line 1: line 1: invalid ensemble count '-2'"},
      {"@voice choir ensemble 18446744073709551616",
       "line 1: line 1: invalid ensemble count '18446744073709551616'"},
      {"@voice choir ensemble 4.0", "line 1: line 1: invalid ensemble count '4.0'"},
      {"@sample", "line 1: line 1: sample needs a quoted file: sample \"kick.wav\""},
      {"@sample kick.wav", "line 1: line 1: sample needs a quoted file: sample \"kick.wav\""},
      {"@sample \"kick.wav", "line 1: line 1: unterminated note text (missing '\"')"},
      {"@sample \"kick.wav\" 0..64", "line 1: line 1: unexpected sample token '0..64'"},
      {"@sample \"kick.wav\" @", "line 1: line 1: sample range needs '<low>..<high>' after '@'"},
      {"@sample \"kick.wav\" @0-64", "line 1: line 1: sample range must be '<low>..<high>'"},
      {"@sample \"kick.wav\" @ x..64", "line 1: line 1: invalid number for sample range low: 'x'"},
      {"@sample \"kick.wav\" @0..", "line 1: line 1: invalid number for sample range high: ''"},
      {"sine", "line 1: line 1: missing weight for 'sine'"},
      {"sine 1\n  saw 1 width 2",
       "line 2: line 2: unexpected harmonic token 'width' (only 'duty <width>')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const auto sound = parse_sound(lines_of(c.body));
    ASSERT_FALSE(sound.has_value());
    EXPECT_EQ(sound.error().text(), c.message);
    EXPECT_EQ(sound.error().kind(), header_format::ParseError::Kind::AtLine);
  }
}

TEST(SoundDirectives, ApplyDirectiveTakesNameAndArguments) {
  Sound sound;
  ASSERT_TRUE(apply_sound_directive(sound, "filter", "800 1 0.5", 4).has_value());
  EXPECT_EQ(sound.filter_envelope.duration, 0.5f);
  EXPECT_EQ(apply_sound_directive(sound, "gain", "1", 4).error().text(),
            "line 4: unknown sound directive 'gain'");
}

}  // namespace
}  // namespace voromel::track::format
