#include <gtest/gtest.h>

#include <string>

#include "tool_run.h"

// Sound, tuning and wave blocks through the tool: the canonical text it
// writes, which it leaves alone on the next run, and the messages it stops on.
namespace voromel::cli::testing {
namespace {

TEST(EndToEndSounds, RewrittenCanonicallyOnce) {
  struct Case {
    const char* text;
    const char* canonical;
  } cases[] = {
      {"# Sounds\n"
       "## lead\n"
       "@volume 0.5 loud\n"
       "@release 0.5 linear\n"
       "@sustain 1\n"
       "@decay 0.2\n"
       "@attack 0.1 ease\n"
       "@detune -0\n"
       "@filter 800 1 0.5 linear\n"
       "@steps +8\n"
       "@vibrato 5 0.3 square\n"
       "@tremolo 4 0\n"
       "@slide 2 0\n"
       "@voice choir tilt 0.5\n"
       "@voice alto ensemble 1 breathiness 0.2\n"
       "@sample \"my   kick.wav\" @0..64\n"
       "@sample \"snare.wav\"\n"
       "octave 0.5\n"
       "fifth 0.25\n"
       "sub 0.8\n"
       "tri@1 1\n"
       "square@3 0.2 duty 0.25\n"
       "sub@2 1\n"
       "wave@2 organ 0.3\n"
       "sine 1 duty 0\n",
       "# Sounds\n"
       "\n"
       "## lead\n"
       "sine@2 0.5\n"
       "sine@1.5 0.25\n"
       "triangle@0.5 0.8\n"
       "triangle 1\n"
       "soft_square@3 0.2 duty 0.25\n"
       "sub@2 1\n"
       "organ@2 0.3\n"
       "sine 1\n"
       "@sample \"my kick.wav\" @ 0..64\n"
       "@sample \"snare.wav\"\n"
       "@voice alto tilt 0.5 breathiness 0.2\n"
       "@steps 8\n"
       "@attack 0.1\n"
       "@decay 0.2\n"
       "@release 0.5 linear\n"
       "@vibrato 5 0.3 soft_square\n"
       "@filter 800 1 0.5 linear\n"
       "@volume 0.5\n"},
      {"# Sounds\n## a\n@filter 800 0 0.5\n## b\n@filter 0 1\n## c\n@volume 1\n",
       "# Sounds\n\n## a\n@filter 800\n\n## b\n\n## c\n"},
      // Wave names the short form would read as something else keep a form
      // that reads back to them.
      {"# Sounds\n## a\nwave #saw 1\nwave tri 1\nwave sub 0.5\nwave a@b 1\n## b\nwave #x 2\n",
       "# Sounds\n\n## a\n  #saw 1\nwave tri 1\nsub@1 0.5\nwave a@b 1\n\n## b\n  #x 2\n"},
      {"# Sounds\n## a\n@voice choir tilt 0.5 ensemble 4\n@vibrato 5 0.3 sine\n",
       "# Sounds\n\n## a\n@voice choir tilt 0.5 ensemble 4\n@vibrato 5 0.3\n"},
      {"# Tunings\n"
       "## empty\n"
       "## et\n"
       "equal 12\n"
       "## just\n"
       "1 9/8 5/4 3/2\n"
       "## fifths\n"
       "period 3/2\n"
       "1 1.1\n"
       "## reset\n"
       "period 3/2\n"
       "equal 7\n"
       "## doubled\n"
       "2 4 6\n"
       "## zero\n"
       "0 5\n"
       "## octave\n"
       "period 2/1\n"
       "equal 0\n"
       "## thirteen\n"
       "equal 12\n"
       "5/4\n"
       "## five\n"
       "1 1.1486983 1.319508 1.5157166 1.7411011\n",
       "# Tunings\n"
       "\n"
       "## empty\n"
       "1\n"
       "\n"
       "## et\n"
       "equal 12\n"
       "\n"
       "## just\n"
       "1 1.125 1.25 1.5\n"
       "\n"
       "## fifths\n"
       "period 1.5\n"
       "1 1.1\n"
       "\n"
       "## reset\n"
       "equal 7\n"
       "\n"
       "## doubled\n"
       "1 2 3\n"
       "\n"
       "## zero\n"
       "0 5\n"
       "\n"
       "## octave\n"
       "1\n"
       "\n"
       "## thirteen\n"
       "1 1.0594631 1.122462 1.1892071 1.2599211 1.3348398 1.4142135 1.4983071 1.587401 "
       "1.6817929 1.7817974 1.8877486 1.25\n"
       "\n"
       "## five\n"
       "equal 5\n"},
      {"# Waves\n"
       "## empty\n"
       "## saw\n"
       "0 0 ease\n"
       "0.5 1 linear\n"
       "1 0\n"
       "## flat\n"
       "-0 250\n"
       "0.5 1\n"
       "0.5 -1 ease-out\n",
       "# Waves\n"
       "\n"
       "## empty\n"
       "\n"
       "## saw\n"
       "0 0\n"
       "0.5 1 linear\n"
       "1 0\n"
       "\n"
       "## flat\n"
       "0 250\n"
       "0.5 1\n"
       "0.5 -1 ease-out\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    expect_rewritten_once(c.text, c.canonical);
  }
}

// The file line comes first, then the line within the block.
TEST(EndToEndSounds, ParseErrorsNameTheFileLineAndTheBlockLine) {
  struct Case {
    const char* text;
    const char* err;
  } cases[] = {
      {"# Sounds\n## a\nsine 1\n\n@Volume 1\n", "line 5: line 3: unknown sound directive 'Volume'"},
      {"# Sounds\n## a\n@sample kick.wav\n",
       "line 3: line 1: sample needs a quoted file: sample \"kick.wav\""},
      {"# Sounds\n## a\n@sample \"kick.wav\" 0..64\n",
       "line 3: line 1: unexpected sample token '0..64'"},
      {"# Sounds\n## a\n@voice choir loud\n", "line 3: line 1: unknown voice parameter 'loud'"},
      {"# Sounds\n## a\n@voice choir ensemble -2\n", "line 3: line 1: invalid ensemble count '-2'"},
      {"# Sounds\n## a\n@steps 4294967296\n", "line 3: line 1: invalid steps count '4294967296'"},
      {"# Sounds\n## a\nsine\n", "line 3: line 1: missing weight for 'sine'"},
      {"# Sounds\n## a\nsine@2 x\n", "line 3: line 1: invalid number for sine@2: 'x'"},
      {"# Sounds\n## a\nsine 1 duty 1.5\n", "line 3: line 1: duty must be within 0..1"},
      {"# Sounds\n## a\nsine 1 width 0.5\n",
       "line 3: line 1: unexpected harmonic token 'width' (only 'duty <width>')"},
      {"# Sounds\n## a\n@attack 0.1 bouncy\n",
       "line 3: line 1: unknown curve 'bouncy' (expected linear, ease-in, ease-out or ease)"},
      {"# Sounds\n## a\n@attack fast\n", "line 3: line 1: invalid number for duration: 'fast'"},
      {"# Sounds\n## a\n@vibrato 5\n", "line 3: line 1: vibrato needs <rate> <depth>"},
      {"# Tunings\n## a\n1\nequal -12\n", "line 4: line 2: invalid step count '-12'"},
      {"# Tunings\n## a\nequal 12.0\n", "line 3: line 1: invalid step count '12.0'"},
      {"# Tunings\n## a\nperiod\n", "line 3: line 1: period needs a ratio"},
      {"# Tunings\n## a\n1 1/-0\n", "line 3: line 1: ratio has zero denominator"},
      {"# Waves\n## a\n0.6 1\n0.4 0\n",
       "line 4: line 2: wave vertices must run in non-decreasing x"},
      {"# Waves\n## a\n1.5 0\n", "line 3: line 1: wave x must be within 0..=1"},
      {"# Waves\n## a\n0 1 linear extra\n",
       "line 3: line 1: wave vertex needs '<x> <y>' plus an optional curve"},
      {"# Waves\n## a\nx 1 bouncy\n", "line 3: line 1: invalid number for wave x: 'x'"},
      {"# Waves\n## a\n0 1 bouncy\n",
       "line 3: line 1: unknown curve 'bouncy' (expected linear, ease-in, ease-out or ease)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    expect_refused(c.text, std::string("Parsing bad.track: ") + c.err + "\n", "bad.track");
  }
}

}  // namespace
}  // namespace voromel::cli::testing
