#include "track/multisong/song.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "../random_texts.h"
#include "header_format/section_grammar.h"
#include "tests/track/section_test_support.h"
#include "track/multisong/section_kinds.h"
#include "track/number_text.h"

namespace voromel::track::multisong {
namespace {

using song::Song;
using song::SongPosition;

static_assert(header_format::Section<SongSection>);

// A song refers to the text it is read from, here `body` itself.
voromel::Result<Song, header_format::ParseError> parse(std::string_view body) {
  return SongSection::parse(track::testing::split_body(body));
}

std::string written(const Song& song) {
  std::string out;
  SongSection::serialize(song, out);
  return out;
}

std::string rewrite(std::string_view body) {
  const auto song = parse(body);
  if (!song) return "error: " + song.error().text();
  return written(song.value());
}

std::uint32_t bits(float value) {
  return std::bit_cast<std::uint32_t>(value);
}

TEST(Song, WrittenBackCanonically) {
  struct Case {
    const char* body;
    const char* written;
  } cases[] = {
      {"", "@tempo 120\n"},
      {"\n  \n\t", "@tempo 120\n"},
      {"@tempo 120 120", "@tempo 120\n"},
      {"@tempo 0 140", "@tempo 0\n"},
      {"@tempo -5 x", "@tempo -5\n"},
      {"@tempo nan 5", "@tempo NaN\n"},
      {"@tempo -0", "@tempo -0\n"},
      {"@tempo 1e20", "@tempo 100000000000000000000\n"},
      {"@tempo 100 150", "@tempo 100 150\n"},
      {"@tempo 100 150 ignored", "@tempo 100 150\n"},
      {"@tempo 100 nan", "@tempo 100\n"},
      {"@tempo 100 100.00001", "@tempo 100\n"},
      {"@tempo 100 0", "@tempo 100 0\n"},
      {"@tempo 100 -0", "@tempo 100 -0\n"},
      {"@tempo 100 inf", "@tempo 100 inf\n"},
      {"@tempo inf 5", "@tempo inf 0\n"},
      {"@tempo inf -5", "@tempo inf -0\n"},
      {"@tempo inf inf", "@tempo inf\n"},
      {"@tempo\u00a090\u3000100", "@tempo 90 100\n"},
      {"@tempo param speed", "@tempo param speed\n"},
      {"@tempo param speed 1", "@tempo param speed\n"},
      {"@tempo param speed 1.0000001", "@tempo param speed\n"},
      {"@tempo param speed 2 x", "@tempo param speed 2\n"},
      {"@tempo param speed -0", "@tempo param speed -0\n"},
      {"@tempo param speed\n@tempo 100", "@tempo 100\n"},
      {"@tempo 90 100\n@tempo param speed 0.5", "@tempo param speed 0.5\n"},
      {"@signature 4 4", "@tempo 120\n"},
      {"@signature 4", "@tempo 120\n"},
      {"@signature 3", "@tempo 120\n@signature 3 4\n"},
      {"@signature +007 08", "@tempo 120\n@signature 7 8\n"},
      {"@signature 4 8", "@tempo 120\n@signature 4 8\n"},
      {"@seed +7", "@tempo 120\n@seed 7\n"},
      {"@seed 0", "@tempo 120\n@seed 0\n"},
      {"@seed 4294967295", "@tempo 120\n@seed 4294967295\n"},
      {"@param b 1\n@param a 2\n@param b 3", "@tempo 120\n@param a 2\n@param b 3\n"},
      {"@param energy", "@tempo 120\n@param energy 0\n"},
      {"@param \u00e9 1\n@param a -0\n@param Z 1e-7",
       "@tempo 120\n@param Z 0.0000001\n@param a -0\n@param \u00e9 1\n"},
      {"@length 32", "@tempo 120\n@length 32\n"},
      {"@length -0", "@tempo 120\n@length -0\n"},
      {"@layer", "@tempo 120\n@layer \n"},
      {"@layer   drums  and\tbass  ", "@tempo 120\n@layer drums  and\tbass\n"},
      {"@layer a @signature 3", "@tempo 120\n@layer a @signature 3\n"},
      {"@layer b\n@layer a\n@layer b", "@tempo 120\n@layer b\n@layer a\n@layer b\n"},
      {"@marker 4 verse extra", "@tempo 120\n@marker 4 verse\n"},
      {"@marker 8 c\n@marker 4 a\n@marker 4 b",
       "@tempo 120\n@marker 4 a\n@marker 4 b\n@marker 8 c\n"},
      {"@marker 0 plus\n@marker -0 minus", "@tempo 120\n@marker -0 minus\n@marker 0 plus\n"},
      {"@marker nan n\n@marker inf i\n@marker 1 one\n@marker -inf m",
       "@tempo 120\n@marker -inf m\n@marker 1 one\n@marker inf i\n@marker NaN n\n"},
      {"@marker 4 Verse\n@marker 2 verse", "@tempo 120\n@marker 2 verse\n@marker 4 Verse\n"},
      {"@jump chorus 0", "@tempo 120\n@jump chorus\n"},
      {"@jump chorus -0", "@tempo 120\n@jump chorus\n"},
      {"@jump 16 tempo *2", "@tempo 120\n@jump 16 tempo \u00d72\n"},
      {"@jump-at 12.5 intro", "@tempo 120\n@jump-at 12.5 intro\n"},
      {"@jump-at chorus intro", "@tempo 120\n@jump-at chorus intro\n"},
      {"@jump-at -0 a", "@tempo 120\n@jump-at -0 a\n"},
      {"@jump-at 1e3 a", "@tempo 120\n@jump-at 1000 a\n"},
      // A target is kept as written, even when it reads as a beat; a
      // position that reads as a beat is written as a number.
      {"@jump 1.50 2.50", "@tempo 120\n@jump 1.50 2.5\n"},
      {"@jump-at 1.50 +1.50", "@tempo 120\n@jump-at 1.5 +1.50\n"},
      {"@jump-at 32 outro if energy >= 0.75", "@tempo 120\n@jump-at 32 outro if energy >= 0.75\n"},
      {"@jump-at b x\n@jump-at a y", "@tempo 120\n@jump-at b x\n@jump-at a y\n"},
      {"@layer drums\n@tempo 90 120\n@marker 16 chorus\n@marker 0 intro\n@param energy",
       "@tempo 90 120\n@param energy 0\n@layer drums\n@marker 0 intro\n@marker 16 chorus\n"},
      {"@jump-at 4 a\n@jump b\n@marker 1 m\n@layer l\n@length 64\n@param p 1\n@seed 9\n"
       "@signature 6 8\n@tempo 100 50",
       "@tempo 100 50\n@signature 6 8\n@seed 9\n@param p 1\n@length 64\n@layer l\n@marker 1 m\n"
       "@jump b\n@jump-at 4 a\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(rewrite(c.body), c.written);
    EXPECT_EQ(rewrite(c.written), c.written);
  }
}

TEST(Song, Errors) {
  struct Case {
    const char* body;
    const char* message;
  } cases[] = {
      {"tempo 120", "line 1: expected an '@' directive, got 'tempo'"},
      {"@tempo 90\nlayer drums", "line 2: expected an '@' directive, got 'layer'"},
      {"@Tempo 120", "line 1: unknown global directive 'Tempo'"},
      {"@", "line 1: unknown global directive ''"},
      {"@tempo 90\n\n@temp 1", "line 3: unknown global directive 'temp'"},
      {"@@tempo 90", "line 1: unknown global directive '@tempo'"},
      {"@tempo", "line 1: @tempo needs a value or 'param <name>'"},
      {"@tempo x", "line 1: invalid number for tempo: 'x'"},
      {"@tempo Param speed", "line 1: invalid number for tempo: 'Param'"},
      {"@tempo 90 x", "line 1: invalid number for end tempo: 'x'"},
      {"@tempo 90 @signature 3", "line 1: invalid number for end tempo: '@signature'"},
      {"@tempo param", "line 1: @tempo param needs a parameter name"},
      {"@tempo param speed fast", "line 1: invalid number for tempo scale: 'fast'"},
      {"@signature", "line 1: @signature needs <beats_per_bar> [beat_unit]"},
      {"@signature 0", "line 1: invalid positive integer for beats_per_bar: '0'"},
      {"@signature x 4 4", "line 1: invalid positive integer for beats_per_bar: 'x'"},
      {"@signature 3 -4", "line 1: invalid positive integer for beat_unit: '-4'"},
      {"@signature 3 4 4", "line 1: @signature takes only <beats_per_bar> [beat_unit]"},
      {"@seed", "line 1: invalid seed ''"},
      {"@seed +", "line 1: invalid seed '+'"},
      {"@seed -1", "line 1: invalid seed '-1'"},
      {"@seed 4294967296", "line 1: invalid seed '4294967296'"},
      {"@seed 1 2", "line 1: invalid seed '1 2'"},
      {"@seed 1.0", "line 1: invalid seed '1.0'"},
      {"@param", "line 1: @param needs a name"},
      {"@param x y", "line 1: invalid number for param default: 'y'"},
      {"@param x 1 2", "line 1: @param takes only <name> [default]"},
      {"@length", "line 1: invalid number for length: ''"},
      {"@length 1 2", "line 1: invalid number for length: '1 2'"},
      {"@length x", "line 1: invalid number for length: 'x'"},
      {"@marker", "line 1: @marker needs a beat"},
      {"@marker x", "line 1: invalid number for marker beat: 'x'"},
      {"@marker 4", "line 1: @marker needs a name"},
      {"@marker 4 verse\n@marker 8 verse", "line 2: marker 'verse' is defined twice in this song"},
      // The first line at fault counts, whichever the fault.
      {"@marker 1 a\n@marker 2 b\n@marker 3 b\n@marker 4 a\n@length x",
       "line 3: marker 'b' is defined twice in this song"},
      {"@marker 1 a\n@length x\n@marker 2 a", "line 2: invalid number for length: 'x'"},
      {"@jump", "line 1: @jump needs a target"},
      {"@jump chorus fast", "line 1: invalid number for jump skip: 'fast'"},
      {"@jump chorus tempo", "line 1: jump 'tempo' needs a value"},
      {"@jump-at", "line 1: @jump-at needs a beat or marker name"},
      {"@jump-at 4", "line 1: @jump-at needs a target"},
      {"@jump-at 4 x fast", "line 1: invalid number for jump-at skip: 'fast'"},
      {"@jump-at 4 x via fill", "line 1: jump-at 'via' needs 'sound <name>'"},
      {"@import", "line 1: '@import' belongs in the document header, not inside a song"},
      {"@import other.track",
       "line 1: '@import' belongs in the document header, not inside a song"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const auto song = parse(c.body);
    ASSERT_FALSE(song.has_value());
    EXPECT_EQ(song.error().kind(), header_format::ParseError::Kind::Boxed);
    EXPECT_EQ(song.error().shifted(20).text(), c.message);
  }
}

TEST(Song, MarkerNamesThatAreNumbers) {
  for (const char* name : {"12", "1.5", "-2e3", "inf", "NaN", "+.5E-3", "-Infinity", "5."}) {
    SCOPED_TRACE(name);
    const auto song = parse(std::string("@marker 4 ") + name);
    ASSERT_FALSE(song.has_value());
    EXPECT_EQ(song.error().text(), std::string("line 1: marker name '") + name +
                                       "' is a number, which a jump target could not tell apart "
                                       "from a beat");
  }
  for (const char* name : {"x12", "1.5.", "e3", "0x10", "1_000", "nan1", "."}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(parse(std::string("@marker 4 ") + name).has_value());
  }
}

TEST(Song, ReadsTheModel) {
  const auto song = parse(
      "@tempo 100 150\n@tempo param speed 2\n@signature 3\n@seed 7\n@param p\n@length 8\n"
      "@layer a b\n@marker 4 m\n@jump-at 12.5 intro\n@jump-at chorus intro 2\n@jump-at nan x");
  ASSERT_TRUE(song.has_value()) << song.error().text();
  const Song& s = song.value();
  EXPECT_EQ(s.tempo, 100.0f);
  EXPECT_EQ(s.tempo_ratio, 1.5f);
  EXPECT_EQ(s.tempo_param, (song::TempoParam{"speed", 2.0f}));
  EXPECT_EQ(s.beats_per_bar, 3u);
  EXPECT_EQ(s.beat_unit, 4u);
  EXPECT_EQ(s.seed, 7u);
  EXPECT_EQ(s.params, (std::vector<song::Param>{{"p", 0.0f}}));
  EXPECT_EQ(s.length, 8.0f);
  EXPECT_EQ(s.layers, std::vector<std::string>{"a b"});
  EXPECT_EQ(s.markers, (std::vector<song::Marker>{{"m", 4.0f}}));
  ASSERT_EQ(s.jump_ats.size(), 3u);
  EXPECT_EQ(s.jump_ats[0].position, SongPosition::at_beat(12.5f));
  EXPECT_EQ(s.jump_ats[1].position, SongPosition::at_marker("chorus"));
  EXPECT_EQ(s.jump_ats[1].target, "intro");
  EXPECT_EQ(s.jump_ats[1].skip, 2.0f);
  ASSERT_NE(s.jump_ats[2].position.beat(), nullptr);
  EXPECT_TRUE(std::isnan(*s.jump_ats[2].position.beat()));
}

TEST(Song, DirectivesAreReadWithoutASong) {
  const auto tempo = parse_song_directive("tempo", "0 140", 5);
  ASSERT_TRUE(tempo.has_value());
  const auto& directive = std::get<TempoDirective>(tempo.value());
  EXPECT_EQ(directive.tempo, 0.0f);
  EXPECT_EQ(directive.ratio, 1.0f);
  const auto import = parse_song_directive("import", "x", 5);
  ASSERT_TRUE(import.has_value());
  EXPECT_TRUE(std::holds_alternative<ImportDirective>(import.value()));
  EXPECT_EQ(parse_song_directive("jump", "", 5).error().text(), "line 5: @jump needs a target");
}

TEST(Song, RampedTempoComesBackAsTyped) {
  struct Case {
    const char* body;
    const char* written;
  } cases[] = {
      {"@tempo 90 100", "@tempo 90 100\n"},
      {"@tempo 11 13", "@tempo 11 13\n"},
      {"@tempo 120 60", "@tempo 120 60\n"},
      {"@tempo 0.1 0.3", "@tempo 0.1 0.3\n"},
      {"@tempo 3 7.77", "@tempo 3 7.77\n"},
      {"@tempo 1e-45 1", "@tempo 0.000000000000000000000000000000000000000000001 inf\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(rewrite(c.body), c.written);
  }
  EXPECT_EQ(written_end_tempo(90.0f, 100.0f / 90.0f), 100.0f);
}

TEST(Song, WholeTempoRampsComeBackAsTyped) {
  for (int tempo = 1; tempo <= 200; ++tempo) {
    for (int end = 1; end <= 300; end += 7) {
      const std::string body = "@tempo " + std::to_string(tempo) + ' ' + std::to_string(end);
      const std::string expected = tempo == end ? "@tempo " + std::to_string(tempo) : body;
      ASSERT_EQ(rewrite(body), expected + '\n');
    }
  }
}

TEST(Song, RampRatioReadsBackBitForBit) {
  std::uint32_t state = 12345;
  const auto next_positive = [&state] {
    state = state * 1664525u + 1013904223u;
    return std::bit_cast<float>(state & 0x7fffffffu);
  };
  for (int i = 0; i < 20000; ++i) {
    const float tempo = next_positive();
    const float end = next_positive();
    if (std::isnan(tempo) || std::isnan(end)) continue;
    const std::string body = "@tempo " + plain_number_text(tempo) + ' ' + plain_number_text(end);
    const auto first = parse(body);
    ASSERT_TRUE(first.has_value());
    const std::string text = written(first.value());
    const auto second = parse(text);
    ASSERT_TRUE(second.has_value());
    SCOPED_TRACE(body);
    if (tempo > 0.0f && !std::isnan(first.value().tempo_ratio)) {
      EXPECT_EQ(bits(second.value().tempo_ratio), bits(first.value().tempo_ratio));
    }
    EXPECT_EQ(written(second.value()), text);
  }
}

class RandomSongLines {
 public:
  explicit RandomSongLines(std::uint32_t seed) : random_(seed) {}

  std::string line() {
    switch (random_.below(11)) {
      case 0:
        return "@tempo " + number() + (random_.chance(70) ? ' ' + number() : "");
      case 1:
        return "@tempo param " + name() + (random_.chance(60) ? ' ' + number() : "");
      case 2:
        return "@signature " + std::to_string(1 + random_.below(16)) +
               (random_.chance(50) ? ' ' + std::to_string(1 + random_.below(16)) : "");
      case 3:
        return "@seed " + std::to_string(random_.below(4294967296u));
      case 4:
        return "@param " + name() + (random_.chance(70) ? ' ' + number() : "");
      case 5:
        return "@length " + number();
      case 6:
        return "@layer " + (random_.chance(20) ? std::string() : name() + ' ' + name());
      case 7:
        return "@marker " + number() + " m" + std::to_string(markers_++);
      case 8:
        return "@jump " + target() + clauses();
      default:
        return "@jump-at " + (random_.chance(50) ? number() : name()) + ' ' + target() + clauses();
    }
  }

 private:
  std::string number() { return random_.number(); }
  std::string name() {
    static constexpr std::string_view names[] = {"a",     "chorus", "tempo",  "via", "if", "sound",
                                                 "param", "#x",     "\u00e9", "x@y", "Z",  "plays"};
    return std::string(random_.pick(std::span<const std::string_view>(names)));
  }
  std::string target() { return random_.chance(30) ? number() : name(); }
  std::string clauses() {
    std::string out;
    if (random_.chance(40)) out += ' ' + number();
    if (random_.chance(40)) {
      static constexpr std::string_view marks[] = {"", "*", "\u00d7"};
      out += " tempo " + std::string(random_.pick(std::span<const std::string_view>(marks))) +
             number();
    }
    if (random_.chance(30)) out += " via " + name() + " sound " + name();
    if (random_.chance(40)) out += condition();
    return out;
  }
  std::string condition() {
    static constexpr std::string_view comparisons[] = {"<", "<=", ">", ">=", "==", "!="};
    const std::string comparison(random_.pick(std::span<const std::string_view>(comparisons)));
    if (random_.chance(40)) {
      return " if plays " + comparison + ' ' + (random_.chance(30) ? "+" : "") +
             std::to_string(random_.below(4294967296u));
    }
    const std::string source = random_.chance(50) ? std::string("random") : name();
    return " if " + (source == "plays" ? "p" : source) + ' ' + comparison + ' ' + number();
  }

  testing::RandomTexts random_;
  int markers_ = 0;
};

// Songs of random directives with numbers at the corners of 32-bit floats:
// the rewrite reads back, and writing it again changes nothing. (What a
// rewrite leaves out is in the table of WrittenBackCanonically.)
TEST(Song, RandomBodiesRoundTrip) {
  RandomSongLines lines(2024);
  for (int round = 0; round < 3000; ++round) {
    std::string body;
    const int count = static_cast<int>(round % 12);
    for (int i = 0; i < count; ++i) body += lines.line() + '\n';
    SCOPED_TRACE(body);
    const auto first = parse(body);
    ASSERT_TRUE(first.has_value()) << first.error().text();
    const std::string text = written(first.value());
    const auto second = parse(text);
    ASSERT_TRUE(second.has_value()) << text << second.error().text();
    EXPECT_EQ(written(second.value()), text);
  }
}

// How the time grows with the count is measured by bench/linearity.py.
TEST(Song, ManyMarkersSortStably) {
  constexpr int count = 100000;
  std::string body;
  for (int i = 0; i < count; ++i) {
    body += "@marker " + std::to_string((count - i) % 100) + " m" + std::to_string(i) + '\n';
    body += "@param p" + std::to_string(i) + " 1\n";
  }
  const auto song = parse(body);
  ASSERT_TRUE(song.has_value());
  const auto& markers = song.value().markers;
  ASSERT_EQ(markers.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(song.value().params.size(), static_cast<std::size_t>(count));
  for (std::size_t i = 1; i < markers.size(); ++i) {
    ASSERT_LE(markers[i - 1].beat, markers[i].beat);
    if (markers[i - 1].beat == markers[i].beat) {
      ASSERT_LT(std::stoi(std::string(markers[i - 1].name.substr(1))),
                std::stoi(std::string(markers[i].name.substr(1))));
    }
  }
  EXPECT_EQ(markers.front().name, "m0");
}

TEST(Song, DuplicateMarkerFoundAmongMany) {
  std::string body;
  for (int i = 0; i < 50000; ++i)
    body += "@marker " + std::to_string(i) + " m" + std::to_string(i) + '\n';
  body += "@marker 1 m49999\n@marker 2 m7\n";
  EXPECT_EQ(parse(body).error().text(),
            "line 50001: marker 'm49999' is defined twice in this song");
}

TEST(Song, InADocument) {
  const auto document = parse_track_document(
      "# Layers\n## bass\nbass 0 36 1\n\n# Songs\n\n## main\n@layer bass\n@tempo 90 100\n"
      "# Songs\n## b\n");
  ASSERT_TRUE(document.has_value()) << document.error().text();
  EXPECT_EQ(serialize_document(document.value()),
            "# Songs\n\n## main\n@tempo 90 100\n@layer bass\n\n## b\n@tempo 120\n\n"
            "# Layers\n\n## bass\nbass 0 36 1\n");
}

TEST(Song, ErrorsInADocumentKeepBlockLineNumbers) {
  const auto document =
      parse_track_document("# Meta\n@title t\n# Songs\n## a\n\n@tempo 90\n\n@temp 1\n");
  ASSERT_FALSE(document.has_value());
  EXPECT_EQ(document.error().text(), "line 3: unknown global directive 'temp'");
}

}  // namespace
}  // namespace voromel::track::multisong
