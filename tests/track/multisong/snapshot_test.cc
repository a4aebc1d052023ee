#include "track/multisong/snapshot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/track/section_test_support.h"

namespace voromel::track::multisong {
namespace {

using testing::reformat;
using testing::reformat_text;

TEST(Snapshots, CanonicalBodies) {
  struct Case {
    std::vector<std::string_view> lines;
    const char* written;
  } cases[] = {
      {{}, ""},
      {{"volume 0.5", "energy 1"}, "energy 1\nvolume 0.5\n"},
      {{"gain 1", "", "gain 2"}, "gain 2\n"},
      {{"gain -0"}, "gain -0\n"},
      {{"gain\t  1e-7  "}, "gain 0.0000001\n"},
      {{"gain 1e20"}, "gain 100000000000000000000\n"},
      {{"gain 3.0", "pan -inf", "x nan"}, "gain 3\npan -inf\nx NaN\n"},
      // Names are ordered byte by byte: upper case before lower case, bytes
      // of UTF-8 sequences after ASCII.
      {{"\xC3\xA9t\xC3\xA9 1", "zeta 2", "Zeta 3"}, "Zeta 3\nzeta 2\n\xC3\xA9t\xC3\xA9 1\n"},
      // A name starting with '#' is written indented so that it is no heading.
      {{"  #gain 1", "a#b 2"}, "  #gain 1\na#b 2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    EXPECT_EQ(reformat<SnapshotSection>(c.lines), c.written);
  }
}

TEST(Snapshots, ErrorsKeepTheLineWithinTheBlock) {
  struct Case {
    std::vector<std::string_view> lines;
    const char* error;
  } cases[] = {
      {{"gain"}, "line 1: snapshot entry needs '<param> <value>'"},
      {{"gain 1", "", "gain 1 2"}, "line 3: invalid snapshot value '1 2'"},
      // The value is shown as it follows the first white-space character.
      {{"gain   x"}, "line 1: invalid snapshot value '  x'"},
      {{"gain 0x10"}, "line 1: invalid snapshot value '0x10'"},
      // Only the first white-space character is left out, however many bytes
      // it takes.
      {{"gain\u3000\u00a0x"}, "line 1: invalid snapshot value '\u00a0x'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    const auto snapshot = SnapshotSection::parse(c.lines);
    ASSERT_FALSE(snapshot.has_value());
    EXPECT_EQ(snapshot.error().kind(), header_format::ParseError::Kind::Boxed);
    // Not moved to the file line.
    EXPECT_EQ(snapshot.error().shifted(40).text(), c.error);
  }
}

TEST(Snapshots, RoundTrip) {
  const std::string once = reformat<SnapshotSection>({"b -0", "#a 0.1", "c 16777216", "a 1e-45"});
  EXPECT_EQ(once,
            "  #a 0.1\na 0.000000000000000000000000000000000000000000001\nb -0\nc 16777216\n");
  EXPECT_EQ(reformat_text<SnapshotSection>(once), once);
}

}  // namespace
}  // namespace voromel::track::multisong
