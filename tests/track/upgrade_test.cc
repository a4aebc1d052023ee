#include "track/upgrade.h"

#include <gtest/gtest.h>

#include <string>

#include "track/multisong/section_kinds.h"

namespace voromel::track {
namespace {

using multisong::parse_track_document;
using voromel::TrackDocument;

struct Upgraded {
  bool ok;
  bool upgraded;
  std::string text;  // the serialized document, or the error's text
};

Upgraded upgrade(const std::string& text, const std::string& song_name = "demo") {
  auto document = parse_track_document(text);
  EXPECT_TRUE(document.has_value()) << document.error().text();
  auto result = upgrade_pre_0_20(document.value(), song_name);
  if (!result) return {false, false, result.error().text()};
  return {true, result.value(), multisong::serialize_document(document.value())};
}

TEST(SoundEntryLine, DirectiveNamesGetTheirAt) {
  struct Case {
    const char* entry;
    const char* line;
  } cases[] = {
      {"attack 0.01", "@attack 0.01"},
      {"sine 440", "sine 440"},
      {"voice choir", "@voice choir"},
      {"steps 4", "@steps 4"},
      {"noise 0.1", "@noise 0.1"},
      {"decay 0.2", "@decay 0.2"},
      {"slide 2 0.1", "@slide 2 0.1"},
      {"detune 3", "@detune 3"},
      {"volume 0.5", "@volume 0.5"},
      {"sample \"a.wav\"", "@sample \"a.wav\""},
      {"sustain 0.5", "@sustain 0.5"},
      {"release 1", "@release 1"},
      {"vibrato 5 0.3", "@vibrato 5 0.3"},
      {"tremolo 4 0.5", "@tremolo 4 0.5"},
      {"arpeggio 0 4 rate 8", "@arpeggio 0 4 rate 8"},
      {"distortion 0.2", "@distortion 0.2"},
      {"vol-jitter 0.1", "@vol-jitter 0.1"},
      {"filter 800", "filter 800"},
      {"duty_sweep 1", "duty_sweep 1"},
      {"Attack 1", "Attack 1"},
      {"attack", "@attack"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    EXPECT_EQ(sound_entry_line(c.entry), c.line);
  }
}

TEST(Upgrade, RefusesPre013HeadersFirst) {
  const Upgraded result = upgrade("@tempo 90\n# My Song\n# Sounds\nlead sine 1\n");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.text,
            "'# My Song' is a pre-0.13 header carrying its name, older than this upgrade handles: "
            "rewrite it as a '## <name>' block under a plural section header by hand first");
}

TEST(Upgrade, OneLineSoundFailures) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"# Sounds\nlead sine 1\n",
       "'lead sine 1' sits before the first block of '# Sounds' and is not a pre-0.20 sound "
       "definition either"},
      {"# Sounds\nvox: sample \"a,b.wav\", \"x\n",
       "sound 'vox' has an unbalanced quote, so its entries cannot be split on commas safely"},
      {"# Sounds\nlead: sine 1\nlead: saw 1\n",
       "sound 'lead' is defined both in the old one-line syntax and as a '## lead' block"},
      {"# Sounds\nlead: sine 1\n## lead\nsaw 1\n",
       "sound 'lead' is defined both in the old one-line syntax and as a '## lead' block"},
      {"# Sounds\nlead: sine 1, attack fast\n",
       "line 2: line 2: invalid number for duration: 'fast'"},
      // An even count of quotes is still split at the comma inside them.
      {"# Sounds\npad: sample \"a, b.wav\"\n",
       "line 1: line 1: unterminated note text (missing '\"')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Upgraded result = upgrade(c.text);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.text, c.message);
  }
}

TEST(Upgrade, OneLineSoundsBecomeBlocks) {
  const Upgraded result = upgrade(
      "# Songs\n## main\n@tempo 90\n# Sounds\n"
      "lead: sine 1, attack 0.01,, octave 0.5\n : saw 1\n");
  ASSERT_TRUE(result.ok) << result.text;
  EXPECT_TRUE(result.upgraded);
  EXPECT_EQ(result.text,
            "# Songs\n\n## main\n@tempo 90\n\n# Sounds\n\n## lead\nsine 1\nsine@2 0.5\n"
            "@attack 0.01\n\n## \nsaw 1\n");
}

// Nothing is converted, so the leading lines stay where they were.
TEST(Upgrade, NothingToUpgrade) {
  struct Case {
    const char* text;
    const char* written;
  } cases[] = {
      {"@tempo 90\n# Songs\n## main\n@tempo 120\n",
       "@tempo 90\n\n# Songs\n\n## main\n@tempo 120\n"},
      {"\n@import x.track\n  \n", "\n@import x.track\n  \n"},
      {"# Layers\n## bass\nbass 0 36 1\n", "# Layers\n\n## bass\nbass 0 36 1\n"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Upgraded result = upgrade(c.text);
    ASSERT_TRUE(result.ok) << result.text;
    EXPECT_FALSE(result.upgraded);
    EXPECT_EQ(result.text, c.written);
  }
}

TEST(Upgrade, HeaderBecomesASongBlock) {
  const Upgraded result = upgrade(
      "@import common.track\n"
      "@tempo 90\n"
      "\n"
      "  @import other.track\n"
      "@marker 16 verse.2\n"
      "@jump-at 16 songs/chorus.track\n"
      "@jump verse.2 if plays < 2\n"
      "@jump-at 8 12.5\n"
      "@jump-at verse.2 ../up\n"
      "# Layers\n## drums\nkick 0 36 1\n## bass\nbass 0 36 1\n",
      "my_song");
  ASSERT_TRUE(result.ok) << result.text;
  EXPECT_TRUE(result.upgraded);
  EXPECT_EQ(result.text,
            "@import common.track\n"
            "  @import other.track\n"
            "\n"
            "# Songs\n\n## my_song\n"
            "@tempo 90\n@layer drums\n@layer bass\n@marker 16 verse.2\n"
            "@jump verse.2 if plays < 2\n@jump-at 16 chorus\n@jump-at 8 12.5\n"
            "@jump-at verse.2 up\n"
            "\n# Layers\n\n## drums\nkick 0 36 1\n\n## bass\nbass 0 36 1\n");
}

TEST(Upgrade, HeaderLayersAreKeptWhenGiven) {
  const Upgraded result = upgrade("@layer bass\n# Layers\n## drums\n## bass\n");
  ASSERT_TRUE(result.ok) << result.text;
  EXPECT_EQ(result.text,
            "# Songs\n\n## demo\n@tempo 120\n@layer bass\n\n# Layers\n\n## drums\n\n## bass\n");
}

TEST(Upgrade, SongErrorsAreNotShifted) {
  const Upgraded result = upgrade("\n\n@tempo 90\n@temp 3\n");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.text, "line 2: unknown global directive 'temp'");
}

TEST(Upgrade, SongsAlreadyThereOnlySoundsConverted) {
  const Upgraded result = upgrade("@tempo 80\n# Songs\n## main\n# Sounds\nlead: sine 1\n");
  ASSERT_TRUE(result.ok) << result.text;
  EXPECT_TRUE(result.upgraded);
  EXPECT_EQ(result.text,
            "@tempo 80\n\n# Songs\n\n## main\n@tempo 120\n\n# Sounds\n\n## lead\nsine 1\n");
}

}  // namespace
}  // namespace voromel::track
