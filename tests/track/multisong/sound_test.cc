#include "track/multisong/sound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../random_texts.h"
#include "header_format/section_grammar.h"
#include "tests/track/section_test_support.h"
#include "track/multisong/section_kinds.h"

namespace voromel::track::multisong {
namespace {

using song::Sound;

static_assert(header_format::Section<SoundSection>);

track::testing::BodyLines lines_of(std::string_view body) {
  return track::testing::BodyLines(body);
}

std::string serialized(const Sound& sound) {
  std::string out;
  SoundSection::serialize(sound, out);
  return out;
}

TEST(SoundSection, CanonicalBodiesAreLeftAlone) {
  const char* bodies[] = {
      "",
      "sine 1\n@attack 0.01\n",
      "sine 1\n"
      "triangle@0.5 0.8\n"
      "soft_square@3 0.2 duty 0.25\n"
      "wave tri 1\n"
      "wave@2 a@b 0.5\n"
      "sub@1 0.5 duty 0.3\n"
      "  #saw 1\n"
      "@sample \"my kick.wav\" @ -inf..60\n"
      "@voice choir tilt 0.5 breathiness 0.1 ensemble 4\n"
      "@arpeggio 0 4 7 rate 8\n"
      "@distortion 0.3\n"
      "@detune -7\n"
      "@vol-jitter 0.05\n"
      "@steps 16\n"
      "@attack 0.01 linear\n"
      "@decay 0.2 ease-in\n"
      "@release 0.5 ease-out\n"
      "@sustain 0.6\n"
      "@noise 0.1\n"
      "@vibrato 5 0.3 triangle\n"
      "@tremolo 4 0.5\n"
      "@slide -12 0.05\n"
      "@filter 1200 0.5 0.2 linear\n"
      "@duty_sweep 0.1\n"
      "@volume NaN\n",
  };
  for (const char* body : bodies) {
    SCOPED_TRACE(body);
    const auto sound = SoundSection::parse(lines_of(body));
    ASSERT_TRUE(sound.has_value()) << sound.error().text();
    EXPECT_EQ(serialized(sound.value()), body);
  }
}

TEST(SoundSection, ErrorsNameTheFileLineAndTheBlockLine) {
  const auto sound = SoundSection::parse(lines_of("sine 1\n\n@attack soon\n"));
  ASSERT_FALSE(sound.has_value());
  EXPECT_EQ(sound.error().shifted(10).text(),
            "line 12: line 3: invalid number for duration: 'soon'");
}

TEST(SoundSection, DocumentRewriteKeepsEverySound) {
  const char* text =
      "# Sounds\n"
      "## bass\n"
      "  octave 0.5\n"
      "@volume 1\n"
      "@attack 0.01 ease\n"
      "  #saw 1\n"
      "wave sub 0.3\n"
      "## lead\n"
      "\n"
      "@voice choir tilt 0.5\n"
      "@voice alto ensemble 3\n";
  const char* canonical =
      "# Sounds\n"
      "\n"
      "## bass\n"
      "sine@2 0.5\n"
      "  #saw 1\n"
      "sub@1 0.3\n"
      "@attack 0.01\n"
      "\n"
      "## lead\n"
      "@voice alto tilt 0.5 ensemble 3\n";
  auto document = parse_track_document(text);
  ASSERT_TRUE(document.has_value()) << document.error().text();
  EXPECT_EQ(serialize_document(document.value()), canonical);
  auto again = parse_track_document(canonical);
  ASSERT_TRUE(again.has_value()) << again.error().text();
  const auto& sounds = document.value().sections.sounds.items;
  const auto& read_back = again.value().sections.sounds.items;
  ASSERT_EQ(read_back.size(), 2u);
  EXPECT_EQ(read_back[0].value, sounds[0].value);
  EXPECT_EQ(read_back[1].value, sounds[1].value);
  EXPECT_EQ(serialize_document(again.value()), canonical);

  const auto failed = parse_track_document("# Sounds\n\n## bass\nsine 1\n\n@attack fast\n");
  ASSERT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error().text(), "line 6: line 3: invalid number for duration: 'fast'");
}

// Bodies put together from varied lines: the canonical text reads back, and
// writing it again changes nothing. (What a rewrite leaves out is in the
// tables of tests/track/format/sounds_test.cc.)
TEST(SoundSection, GeneratedBodiesRoundTrip) {
  const char* pool[] = {
      "sine 1",
      "tri 0.5",
      "square@3 0.2 duty 0.25",
      "sub 0.8",
      "fifth 0.25",
      "octave 1 duty 1",
      "sub@2 1",
      "sub@1 0.5 duty 0.3",
      "wave@2 organ 0.3",
      "wave tri 1",
      "wave square 0.4",
      "wave sub 0.5",
      "wave@0.5 octave 2",
      "wave a@b 0.1",
      "wave wave 1",
      "wave@3 wave@2 1",
      "  #saw@2 1",
      "wave #saw 1",
      "sine@0.99999994 1",
      "saw@-0 -0",
      "",
      "   ",
      "@sample \"kick.wav\"",
      "@sample \"my   kick.wav\" @0..64",
      "@sample \" a \" @ -inf..1e3",
      "@sample \"\" @5..-5",
      "@voice choir tilt 0.5",
      "@voice alto ensemble 1",
      "@voice solo ensemble 3 vibrato 0.2",
      "@arpeggio 0 4 7 rate 8",
      "@arpeggio -12 rate 0.5",
      "@distortion 0.3",
      "@detune -0",
      "@vol-jitter 1e-7",
      "@steps 7",
      "@steps 0",
      "@attack 0.01",
      "@attack 0 linear",
      "@decay 0.2 ease-out",
      "@release 1.5 linear",
      "@sustain 1",
      "@sustain 0.25",
      "@noise 0.1",
      "@vibrato 5 0.3 sine",
      "@vibrato 5 0 square",
      "@tremolo 4 0.5 tri",
      "@slide 2 0",
      "@slide -3 0.25",
      "@filter 800",
      "@filter 800 0 0.5",
      "@filter 800 1 0.5 linear",
      "@filter 0 1 2",
      "@filter 500 -0.5",
      "@duty_sweep 0.1",
      "@volume 1.0000001",
      "@volume 0.5",
  };
  constexpr std::size_t pool_size = sizeof pool / sizeof pool[0];
  std::uint32_t state = 12345;
  const auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (int round = 0; round < 400; ++round) {
    std::vector<std::string> lines;
    const std::size_t count = next() % 9;
    for (std::size_t i = 0; i < count; ++i) lines.emplace_back(pool[next() % pool_size]);
    std::string body;
    for (const std::string& line : lines) body += line + "\n";
    SCOPED_TRACE(body);
    const auto first = SoundSection::parse(lines_of(body));
    ASSERT_TRUE(first.has_value()) << first.error().text();
    const std::string text = serialized(first.value());
    const auto second = SoundSection::parse(lines_of(text));
    ASSERT_TRUE(second.has_value()) << text << second.error().text();
    EXPECT_EQ(serialized(second.value()), text);
    EXPECT_EQ(second.value().harmonics.size(), first.value().harmonics.size());
    EXPECT_EQ(second.value().samples.size(), first.value().samples.size());
  }
}

class RandomSoundLines {
 public:
  explicit RandomSoundLines(std::uint32_t seed) : random_(seed) {}

  std::string line() {
    switch (random_.below(14)) {
      case 0:
      case 1:
        return short_harmonic();
      case 2:
        return "wave" + (random_.chance(50) ? '@' + number() : "") + ' ' + pick(wave_names) + ' ' +
               number();
      case 3:
        return sample();
      case 4:
        return "@voice " + pick(names) + voice_parameters();
      case 5:
        return "@steps " + std::to_string(random_.below(4294967296u));
      case 6:
        return '@' + pick(settings) + ' ' + number();
      case 7:
        return "@slide " + number() + ' ' + number();
      case 8:
        return '@' + pick(stages) + ' ' + number() + curve();
      case 9:
        return "@filter " + number() +
               (random_.chance(70)
                    ? ' ' + number() + (random_.chance(70) ? ' ' + number() + curve() : "")
                    : "");
      case 10:
        return '@' + pick(modulations) + ' ' + number() + ' ' + number() +
               (random_.chance(60) ? ' ' + pick(names) : "");
      case 11: {
        std::string out = "@arpeggio";
        for (std::size_t i = 0; i <= random_.below(4); ++i) out += ' ' + number();
        return out + " rate " + random_.positive();
      }
      default:
        return "";
    }
  }

 private:
  static constexpr std::string_view names[] = {"sine",   "tri", "square", "sub", "fifth",
                                               "octave", "saw", "#saw",   "Sub", "wave2"};
  static constexpr std::string_view wave_names[] = {"tri",  "square", "sub",   "fifth", "a@b",
                                                    "wave", "wave@x", "@lead", "#z",    "organ"};
  static constexpr std::string_view settings[] = {
      "noise", "volume", "detune", "sustain", "distortion", "vol-jitter", "duty_sweep"};
  static constexpr std::string_view stages[] = {"attack", "decay", "release"};
  static constexpr std::string_view modulations[] = {"vibrato", "tremolo"};
  static constexpr std::string_view curves[] = {"linear", "ease-in", "ease-out", "ease"};
  static constexpr std::string_view widths[] = {"0", "-0", "1", "0.25", "1e-45", "0.99999994"};
  static constexpr std::string_view files[] = {"kick.wav", "my   kick.wav", " a ", "",
                                               "a\"b",     "x @0..1",       "#k"};
  static constexpr std::string_view voice_keywords[] = {"formant-shift", "tilt", "breathiness",
                                                        "vibrato"};

  std::string pick(std::span<const std::string_view> items) {
    return std::string(random_.pick(items));
  }
  std::string number() { return random_.number(); }
  std::string curve() { return random_.chance(60) ? ' ' + pick(curves) : ""; }

  std::string short_harmonic() {
    std::string out = random_.chance(20) ? "  " : "";
    out += pick(names);
    if (random_.chance(50)) out += '@' + number();
    out += ' ' + number();
    if (random_.chance(30)) out += " duty " + pick(widths);
    return out;
  }
  std::string sample() {
    std::string out = "@sample \"" + pick(files) + '"';
    // A low bound ending in '.' would move the first "..".
    std::string low = number();
    if (low.ends_with('.')) low += '0';
    if (random_.chance(60)) out += (random_.chance(50) ? " @" : " @ ") + low + ".." + number();
    return out;
  }
  std::string voice_parameters() {
    std::string out;
    for (std::size_t i = 0; i < random_.below(4); ++i) {
      if (random_.chance(25)) {
        out += " ensemble " + std::to_string(random_.below(5));
      } else {
        out += ' ' + pick(voice_keywords) + ' ' + number();
      }
    }
    return out;
  }

  testing::RandomTexts random_;
};

// Bodies of random lines with numbers at the corners of 32-bit floats: the
// canonical text reads back, and writing it again changes nothing.
TEST(SoundSection, RandomBodiesRoundTrip) {
  RandomSoundLines random(77);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> lines;
    const int count = round % 14;
    for (int i = 0; i < count; ++i) lines.push_back(random.line());
    std::string body;
    for (const std::string& line : lines) body += line + "\n";
    SCOPED_TRACE(body);
    const auto first = SoundSection::parse(lines_of(body));
    ASSERT_TRUE(first.has_value()) << first.error().text();
    const std::string text = serialized(first.value());
    const auto second = SoundSection::parse(lines_of(text));
    ASSERT_TRUE(second.has_value()) << text << second.error().text();
    EXPECT_EQ(serialized(second.value()), text);
    EXPECT_EQ(second.value().harmonics.size(), first.value().harmonics.size());
    EXPECT_EQ(second.value().samples.size(), first.value().samples.size());
  }
}

}  // namespace
}  // namespace voromel::track::multisong
