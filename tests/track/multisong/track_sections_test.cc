#include "voromel/track/multisong/track_sections.h"

#include <gtest/gtest.h>

#include <string>

#include "canonical_text.h"

namespace voromel::track::multisong {
namespace {

// The whole document written; written block by block, the text is the same.
std::string rewrite(std::string_view text) {
  auto document = TrackDocument::parse_with(text);
  EXPECT_TRUE(document.has_value()) << document.error().text();
  if (!document) return "";
  std::string written = document.value().serialize();
  auto form = voromel::canonical_text(text);
  EXPECT_EQ(form.value().same_as_input ? std::string(text) : form.value().text, written);
  return written;
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
  auto document = TrackDocument::parse_with(
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
      TrackDocument::parse_with("# Songs\n## main\n@tempo 120\n### later\n#### deeper\n### two\n");
  ASSERT_TRUE(document.has_value());
  EXPECT_EQ(document.value().sections.songs.items[0].unread_sub_block, "### later");
}

}  // namespace
}  // namespace voromel::track::multisong
