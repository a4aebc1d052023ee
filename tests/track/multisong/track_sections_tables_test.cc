// Tunings, waves, subtitles, snapshots and reverb presets read and written as
// parts of whole documents.
#include <gtest/gtest.h>

#include <string>

#include "canonical_text.h"
#include "track/multisong/section_kinds.h"
#include "voromel/song/tuning.h"

namespace voromel::track::multisong {
namespace {

// The document written whole, or its error; written block by block, the
// outcome is the same.
std::string rewrite(std::string_view text) {
  auto document = parse_track_document(text);
  const std::string whole =
      document ? serialize_document(document.value()) : "error: " + document.error().text();
  auto form = voromel::canonical_text(text);
  const std::string streamed = !form                        ? "error: " + form.error().message()
                               : form.value().same_as_input ? std::string(text)
                                                            : form.value().text;
  EXPECT_EQ(streamed, whole);
  return whole;
}

TEST(TableSections, CanonicalDocumentIsLeftAsItIs) {
  const std::string canonical =
      "# Tunings\n\n## twelve\nequal 12\n\n## just\nperiod 3\n1 1.25 1.5\n\n"
      "# Waves\n\n## saw\n0 -1 linear\n1 1\n\n"
      "# Subtitles\n\n## intro\n0\n2 Hello\n\n"
      "# Snapshots\n\n## calm\n  #energy 0.25\nvolume -0\n\n"
      "# Reverb\n\n## hall\nroom_size 0.9\ndecay 0.7\nmix 0.4\npredelay 0.01\n";
  EXPECT_EQ(rewrite(canonical), canonical);
  const std::string scrambled =
      "# Reverb\n## hall\n  room_size 0.90\n"
      "# Snapshots\n## calm\nvolume -0.0\n\t#energy .25\n"
      "# Subtitles\n## intro\n2   Hello \n0.0\n"
      "# Waves\n## saw\n0 -1 linear\n1.0 1 ease\n"
      "# Tunings\n## twelve\nperiod 3\nequal +12\n## just\n2 2.5 3\nperiod 3/1\n";
  EXPECT_EQ(rewrite(scrambled), canonical);
}

TEST(TableSections, ErrorWrappingPerKind) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"# Tunings\n## t\n\n1\n\nx\n", "error: line 6: line 3: invalid number for ratio: 'x'"},
      {"# Waves\n## w\n0 0\n1.5 0\n", "error: line 4: line 2: wave x must be within 0..=1"},
      {"# Subtitles\n## s\n\n1 a\nb\n", "error: line 2: invalid number for subtitle beat: 'b'"},
      {"# Snapshots\n## s\na 1\nb\n", "error: line 2: snapshot entry needs '<param> <value>'"},
      {"# Reverb\n## r\nmix 1\nMix 1\n", "error: line 2: unknown reverb key 'Mix'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(rewrite(c.text), c.error);
  }
}

TEST(TableSections, EqualRatiosAreCountedOverTheWholeDocument) {
  std::string text = "# Tunings\n";
  for (int block = 0; block < 16; ++block) text += "## t\nequal 65536\n";
  text += "# Waves\n# Tunings\n";
  for (int block = 0; block < 16; ++block) text += "## u\nequal 65536\n";
  ASSERT_EQ(rewrite(text).substr(0, 6), "# Tuni");
  text += "## last\n1\nequal 1\n";
  EXPECT_EQ(rewrite(text),
            "error: line 70: line 2: step count '1' is too large (at most 0 more steps in this "
            "document)");
  // Each document has an allowance of its own.
  EXPECT_EQ(rewrite("# Tunings\n## t\nequal 65536\n"), "# Tunings\n\n## t\nequal 65536\n");
}

TEST(TableSections, WhatIsWrittenAsEqualLinesReadsBack) {
  TrackDocument document;
  for (int block = 0; block < 33; ++block) {
    document.sections.tunings.items.push_back({"t", song::Tuning::equal(65536), std::nullopt});
  }
  const std::string written = serialize_document(document);
  std::string equal_lines;
  for (int block = 0; block < 32; ++block) equal_lines += "## t\nequal 65536\n\n";
  ASSERT_EQ(written.substr(0, 11), "# Tunings\n\n");
  EXPECT_TRUE(written.substr(11, equal_lines.size()) == equal_lines);
  EXPECT_EQ(written.substr(11 + equal_lines.size(), 17), "## t\n1 1.0000106 ");
  EXPECT_TRUE(rewrite(written) == written);
}

}  // namespace
}  // namespace voromel::track::multisong
