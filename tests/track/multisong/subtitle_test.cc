#include "track/multisong/subtitle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/track/section_test_support.h"

namespace voromel::track::multisong {
namespace {

using testing::reformat;
using testing::reformat_text;

TEST(Subtitles, OneLine) {
  struct Case {
    const char* line;
    const char* text;
    float beat;
    const char* written;
  } cases[] = {
      {"12", "", 12, "12"},
      {"4.0", "", 4, "4"},
      {"-0 text", "text", -0.0f, "0 text"},
      {"0.5\t Hello,   world  ", "Hello,   world", 0.5f, "0.5 Hello,   world"},
      {"1 # not a heading", "# not a heading", 1, "1 # not a heading"},
      {"1e-7 x", "x", 1e-7f, "0.0000001 x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto subtitle = parse_subtitle_line(c.line, 1);
    ASSERT_TRUE(subtitle.has_value());
    EXPECT_EQ(subtitle.value().text, c.text);
    EXPECT_EQ(subtitle.value().beat, c.beat);
    std::string out;
    write_subtitle_line(out, subtitle.value());
    EXPECT_EQ(out, c.written);
  }
}

TEST(Subtitles, SortedByBeatKeepingInputOrderOfEqualBeats) {
  struct Case {
    std::vector<std::string_view> lines;
    const char* written;
  } cases[] = {
      {{}, ""},
      {{"8 Second line", "0 First line"}, "0 First line\n8 Second line\n"},
      {{"4 c", "2 a", "", "2 b"}, "2 a\n2 b\n4 c\n"},
      // Negative zero sorts before positive zero; NaN after infinity.
      {{"0 plus", "-0 minus"}, "0 minus\n0 plus\n"},
      {{"nan n", "inf i", "-inf m", "-1 k"}, "-inf m\n-1 k\ninf i\nNaN n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    EXPECT_EQ(reformat<SubtitleSection>(c.lines), c.written);
  }
}

TEST(Subtitles, ErrorsKeepTheLineWithinTheBlock) {
  const auto track =
      SubtitleSection::parse(std::vector<std::string_view>{"0 a", "", "twelve Hello"});
  ASSERT_FALSE(track.has_value());
  EXPECT_EQ(track.error().kind(), header_format::ParseError::Kind::Boxed);
  EXPECT_EQ(track.error().shifted(40).text(), "line 3: invalid number for subtitle beat: 'twelve'");
}

TEST(Subtitles, RoundTrip) {
  const std::string once = reformat<SubtitleSection>({"3 c", "-0", "1.50 b  b", "0 a"});
  EXPECT_EQ(once, "0\n0 a\n1.5 b  b\n3 c\n");
  EXPECT_EQ(reformat_text<SubtitleSection>(once), once);
}

}  // namespace
}  // namespace voromel::track::multisong
