#include "track/multisong/reverb.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/track/section_test_support.h"

namespace voromel::track::multisong {
namespace {

using testing::reformat;
using testing::reformat_text;

TEST(Reverb, AllFourSettingsAreWrittenAndClamped) {
  struct Case {
    std::vector<std::string_view> lines;
    const char* written;
  } cases[] = {
      {{}, "room_size 0.5\ndecay 0.7\nmix 0.4\npredelay 0.01\n"},
      {{"mix 1.5"}, "room_size 0.5\ndecay 0.7\nmix 1\npredelay 0.01\n"},
      {{"predelay -1", "decay 2", "mix -0.5", "room_size 0.25"},
       "room_size 0.25\ndecay 1\nmix 0\npredelay 0\n"},
      {{"mix 0.3", "", "mix\t 0.2 "}, "room_size 0.5\ndecay 0.7\nmix 0.2\npredelay 0.01\n"},
      // NaN passes the 0..1 clamp and becomes 0 as a delay; negative zero
      // is neither below 0 nor clamped.
      {{"room_size nan", "predelay NaN"}, "room_size NaN\ndecay 0.7\nmix 0.4\npredelay 0\n"},
      {{"mix -0", "predelay -0"}, "room_size 0.5\ndecay 0.7\nmix -0\npredelay -0\n"},
      {{"predelay inf", "decay -inf"}, "room_size 0.5\ndecay 0\nmix 0.4\npredelay inf\n"},
      {{"predelay 1e20"}, "room_size 0.5\ndecay 0.7\nmix 0.4\npredelay 100000000000000000000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    EXPECT_EQ(reformat<ReverbSection>(c.lines), c.written);
  }
}

TEST(Reverb, ErrorsKeepTheLineWithinTheBlock) {
  struct Case {
    std::vector<std::string_view> lines;
    const char* error;
  } cases[] = {
      {{"room_size"}, "line 1: invalid reverb value ''"},
      {{"mix 0.5", "size 0.5"}, "line 2: unknown reverb key 'size'"},
      // The value is read before the key.
      {{"size x"}, "line 1: invalid reverb value 'x'"},
      {{"Mix 0.3"}, "line 1: unknown reverb key 'Mix'"},
      {{"", "mix  0.5 1"}, "line 2: invalid reverb value ' 0.5 1'"},
      {{"mix\u2003 1 2"}, "line 1: invalid reverb value ' 1 2'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    const auto preset = ReverbSection::parse(c.lines);
    ASSERT_FALSE(preset.has_value());
    EXPECT_EQ(preset.error().kind(), header_format::ParseError::Kind::Boxed);
    EXPECT_EQ(preset.error().shifted(40).text(), c.error);
  }
}

TEST(Reverb, RoundTrip) {
  const std::string once = reformat<ReverbSection>({"decay 0.10", "predelay 0.0000001"});
  EXPECT_EQ(once, "room_size 0.5\ndecay 0.1\nmix 0.4\npredelay 0.0000001\n");
  EXPECT_EQ(reformat_text<ReverbSection>(once), once);
}

}  // namespace
}  // namespace voromel::track::multisong
