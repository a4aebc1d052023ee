#include "track/multisong/section_kinds.h"

#include <gtest/gtest.h>

#include <string>

#include "canonical_text.h"

namespace voromel::track::multisong {
namespace {

// The whole document written; written block by block, the text is the same.
std::string rewrite(std::string_view text) {
  auto document = parse_track_document(text);
  EXPECT_TRUE(document.has_value()) << document.error().text();
  if (!document) return "";
  std::string written = serialize_document(document.value());
  auto form = voromel::canonical_text(text);
  EXPECT_EQ(form.value().same_as_input ? std::string(text) : form.value().text, written);
  return written;
}

TEST(TrackSections, WritesTheCanonicalLayout) {
  struct Case {
    const char* name;
    const char* text;
    const char* canonical;
  } cases[] = {
      {"empty", "", ""},
      {"only leading lines", "a\n\nb", "a\n\nb\n"},
      {"leading blank lines stay", "x\n\n\n# Other\n", "x\n\n\n# Other\n"},
      {"lone known title dropped", "# Waves\n", ""},
      {"lone unknown title kept", "# Other\n", "# Other\n"},
      {"own lines after one blank", "# Waves\nnote\n\n\n## a\n1 0\n",
       "# Waves\n\nnote\n\n## a\n1 0\n"},
      {"known sections in fixed order, meta first",
       "# Other\n\n## u\nx\n# Waves\n## n\n1 0\n# Songs\n## m\n@tempo 90\n# Meta\n@title T\n",
       "# Meta\n\n@title T\n\n# Songs\n\n## m\n@tempo 90\n\n# Waves\n\n## n\n1 0\n\n"
       "# Other\n\n## u\nx\n"},
      {"repeated titles merge in file order", "# Waves\n## a\n1 0\n# Waves\nown\n## a\n1 1\n",
       "# Waves\n\nown\n\n## a\n1 0\n\n## a\n1 1\n"},
      {"sub-blocks of known blocks dropped, of unknown blocks kept",
       "# Waves\n## a\n1 0\n### sub\nlost\n# Other\n## b\n### sub\nkept\n#### deeper\n",
       "# Waves\n\n## a\n1 0\n\n# Other\n\n## b\n\n### sub\nkept\n\n#### deeper\n"},
      {"later meta wins", "# Meta\n@title A\n## Tags\nt\n# Meta\n@author B\n",
       "# Meta\n\n@author B\n"},
      {"carriage returns and a missing last line end", "# Other\r\n\r\n## b\r\nx\r\ny",
       "# Other\n\n## b\nx\ny\n"},
      {"empty block names", "# Other\n##\n#\n", "# Other\n\n## \n\n# \n"},
      {"byte-order mark before a heading", "\uFEFF# Waves\n## a\n1 0\n# Meta\n@title T\n",
       "\uFEFF# Meta\n\n@title T\n\n# Waves\n\n## a\n1 0\n"},
      {"byte-order mark alone", "\uFEFF", "\uFEFF"},
      {"byte-order mark after the first is text", "\uFEFF\uFEFF# Other\nx\uFEFF",
       "\uFEFF\uFEFF# Other\nx\uFEFF\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string canonical = rewrite(c.text);
    EXPECT_EQ(canonical, c.canonical);
    EXPECT_EQ(rewrite(canonical), canonical);
  }
}

// Both ways of writing meet the first error that reading in file order
// meets, whatever order they write the blocks in.
TEST(TrackSections, BothWaysReportTheFirstErrorInFileOrder) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"# Waves\n## w\n2 0\n# Songs\n## s\n@tempo x\n",
       "line 3: line 1: wave x must be within 0..=1"},
      {"\uFEFF\uFEFF## W\n# Snapshots\n## ideas\nm# Songs\n",
       "line 1: invalid snapshot value 'Songs'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto document = parse_track_document(c.text);
    ASSERT_FALSE(document.has_value());
    EXPECT_EQ(document.error().text(), c.message);
    const auto form = voromel::format(c.text);
    ASSERT_FALSE(form.has_value());
    EXPECT_EQ(form.error().message(), c.message);
  }
}

TEST(TrackSections, DeeplyNestedUnknownSectionRoundTrips) {
  std::string text = "# Other\n\n## h\nline\n";
  std::string marks = "##";
  for (int level = 2; level < 3000; ++level) {
    marks += '#';
    text += "\n" + marks + " h\nline\n";
  }
  EXPECT_EQ(rewrite(text), text);
}

TEST(TrackSections, ClaimsTheNineTitlesAndWritesThemInOrder) {
  const std::string text =
      "# Reverb\n## r\nmix 1\n"
      "# Snapshots\n## s\nx 1\n"
      "# Motifs\n## m\n0 60 1\n"
      "# Subtitles\n## t\n1 x\n"
      "# Waves\n## w\n1 0\n"
      "# Tunings\n## u\n1\n"
      "# Sounds\n## o\nsine 1\n"
      "# Layers\n## l\nlead 0 60 1\n"
      "# Songs\n## g\n@tempo 120\n"
      "# songs\n## lower\nx\n";
  EXPECT_EQ(rewrite(text),
            "# Songs\n\n## g\n@tempo 120\n\n"
            "# Layers\n\n## l\nlead 0 60 1\n\n"
            "# Sounds\n\n## o\nsine 1\n\n"
            "# Tunings\n\n## u\n1\n\n"
            "# Waves\n\n## w\n1 0\n\n"
            "# Subtitles\n\n## t\n1 x\n\n"
            "# Motifs\n\n## m\n0 60 1\n\n"
            "# Snapshots\n\n## s\nx 1\n\n"
            "# Reverb\n\n## r\nroom_size 0.5\ndecay 0.7\nmix 1\npredelay 0.01\n\n"
            "# songs\n\n## lower\nx\n");
}

TEST(TrackSections, MergesRepeatedSectionsInFileOrder) {
  auto document = parse_track_document(
      "# Layers\nfirst\n## a\n@pan 1\n# Other\n# Layers\nsecond\n## b\n@pan 2\n## a\n@pan 3\n");
  ASSERT_TRUE(document.has_value());
  const auto& layers = document.value().sections.layers;
  EXPECT_EQ(layers.lines, (std::vector<std::string>{"first", "second"}));
  ASSERT_EQ(layers.items.size(), 3u);
  EXPECT_EQ(layers.items[0].name, "a");
  EXPECT_EQ(layers.items[1].name, "b");
  EXPECT_EQ(layers.items[2].name, "a");
  EXPECT_EQ(layers.items[2].value.pan, 3);
  ASSERT_EQ(document.value().unknown.size(), 1u);
}

TEST(TrackSections, KeepsBlockBodiesVerbatim) {
  const std::string text = "# Notes\n\n## lead\n  sine 1\n\n\t@attack  0.01 \n";
  EXPECT_EQ(rewrite(text), text);
}

TEST(TrackSections, RemembersTheFirstSubBlockOfABlock) {
  auto document =
      parse_track_document("# Songs\n## main\n@tempo 120\n### later\n#### deeper\n### two\n");
  ASSERT_TRUE(document.has_value());
  EXPECT_EQ(document.value().sections.songs.items[0].unread_sub_block, "### later");
}

}  // namespace
}  // namespace voromel::track::multisong
