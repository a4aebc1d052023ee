#include "header_format/meta_section.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "header_format/split.h"

namespace voromel::header_format {
namespace {

using Lines = std::vector<std::string_view>;

Result<Meta, ParseError> read_meta(std::string_view text) {
  auto split = split_document(text);
  EXPECT_TRUE(split.has_value());
  const RawSection& section = split.value().sections.at(0);
  return read_meta(section.lines, section.blocks);
}

TEST(Meta, ReadsDirectivesAndBlocks) {
  auto meta = read_meta(
      "# Meta\n"
      "@title  First \n"
      "@author Ann\n"
      "@title Demo  song\n"
      "## Description\n"
      "  indented\n"
      "\n"
      "second\n"
      "## Tags\n"
      "  calm \n"
      "\n"
      "  #chill\n");
  ASSERT_TRUE(meta.has_value());
  EXPECT_EQ(meta.value().title, "Demo  song");
  EXPECT_EQ(meta.value().author, "Ann");
  EXPECT_EQ(meta.value().description, "  indented\n\nsecond");
  EXPECT_EQ(meta.value().tags, (std::vector<std::string>{"calm", "#chill"}));
  EXPECT_FALSE(meta.value().unread_sub_block.has_value());
}

TEST(Meta, LaterBlocksReplaceEarlierOnes) {
  auto meta = read_meta("# Meta\n## Tags\na\n## Tags\nb\n## Description\nx\n## Description\n");
  ASSERT_TRUE(meta.has_value());
  EXPECT_EQ(meta.value().tags, (std::vector<std::string>{"b"}));
  EXPECT_EQ(meta.value().description, "");
}

TEST(Meta, ReportsTheFirstBadLineOrBlock) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"# Meta\n@title\n", "meta '@title' needs a value"},
      {"# Meta\n@title \u00a0\n", "meta '@title' needs a value"},
      {"# Meta\n@\n", "meta '@' needs a value"},
      {"# Meta\n@colour\n", "meta '@colour' needs a value"},
      {"# Meta\n@Title Demo\n", "unknown meta directive '@Title'"},
      {"# Meta\n@import other.track\n", "unknown meta directive '@import'"},
      {"# Meta\n@ x\n", "unknown meta directive '@'"},
      {"# Meta\n  title x  \n", "expected a '@directive value' line, got 'title x'"},
      {"# Meta\n## Notes\n", "unknown meta subsection '## Notes'"},
      {"# Meta\n## tags\n", "unknown meta subsection '## tags'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto meta = read_meta(c.text);
    ASSERT_FALSE(meta.has_value());
    EXPECT_EQ(meta.error().kind(), ParseError::Kind::Boxed);
    EXPECT_EQ(meta.error().text(), c.message);
  }
}

TEST(Meta, OwnLinesAreReadBeforeBlocks) {
  const Lines lines = {"@bad"};
  std::vector<Instance> blocks;
  blocks.push_back(Instance{"Notes", {}, {}, 1, {}});
  auto meta = read_meta(lines, blocks);
  ASSERT_FALSE(meta.has_value());
  EXPECT_EQ(meta.error().text(), "meta '@bad' needs a value");
}

TEST(Meta, RemembersTheFirstSubBlockOfItsBlocks) {
  auto meta =
      read_meta("# Meta\n## Tags\na\n## Description\nd\n### More\n#### x\n## Tags\n### y\n");
  ASSERT_TRUE(meta.has_value());
  EXPECT_EQ(meta.value().unread_sub_block, (UnreadSubBlock{"Description", "### More"}));
}

TEST(Meta, WritesTheCanonicalLayout) {
  struct Case {
    const char* name;
    Meta meta;
    const char* before;
    const char* text;
  } cases[] = {
      {"empty", Meta{}, "lead\n", "lead\n"},
      {"title", Meta{"Demo", std::nullopt, std::nullopt, {}, {}}, "", "# Meta\n\n@title Demo\n"},
      {"tags only", Meta{std::nullopt, std::nullopt, std::nullopt, {"a", "b"}, {}}, "",
       "# Meta\n\n## Tags\n\na\nb\n"},
      {"title and description", Meta{"T", std::nullopt, "one\n\ntwo", {}, {}}, "",
       "# Meta\n\n@title T\n\n## Description\n\none\n\ntwo\n"},
      {"everything", Meta{"T", "A", "", {"#chill", "x#"}, {}}, "lead\n",
       "lead\n\n# Meta\n\n@title T\n@author A\n\n## Description\n\n\n## Tags\n\n  #chill\nx#\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out = c.before;
    write_meta(out, c.meta);
    EXPECT_EQ(out, c.text);
  }
}

TEST(Meta, WrittenTextReadsBackTheSame) {
  const Meta meta{"Title", "Author", "  first\n\nlast", {"#hash", "plain", "##two"}, {}};
  std::string out;
  write_meta(out, meta);
  auto read = read_meta(out);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read.value(), meta);
}

}  // namespace
}  // namespace voromel::header_format
