#include "header_format/split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "header_format/outline.h"

namespace voromel::header_format {
namespace {

using Lines = std::vector<std::string_view>;

SplitDocument split_ok(std::string_view text) {
  auto split = split_document(text);
  EXPECT_TRUE(split.has_value());
  if (!split) return {};
  return std::move(split).value();
}

TEST(SplitDocument, CutsLinesAndRemovesCarriageReturnsAtLineEnds) {
  struct Case {
    const char* text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\n\n", {"a", ""}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"x\r\r\n", {"x"}},
      {"x\r", {"x"}},
      {"a\rb\n", {"a\rb"}},
      {"\ra\n", {"\ra"}},
      {"\n\n", {"", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(split_ok(c.text).leading_lines, c.lines);
  }
}

TEST(SplitDocument, BuildsSectionsAndNestedBlocks) {
  const SplitDocument document = split_ok(
      "lead\n"
      "\n"
      "# Songs\n"
      "\n"
      "own line\n"
      "\n"
      "## main\n"
      "\n"
      "\n"
      "@tempo 1\n"
      "\n"
      "@seed 2\n"
      "  \n"
      "### deep\n"
      "inner\n"
      "#### deeper\n"
      "## second\n"
      "# Other\n");
  EXPECT_EQ(document.leading_lines, (Lines{"lead", ""}));
  ASSERT_EQ(document.sections.size(), 2u);
  const RawSection& songs = document.sections[0];
  EXPECT_EQ(songs.title, "Songs");
  EXPECT_EQ(songs.lines, (Lines{"own line"}));
  ASSERT_EQ(songs.blocks.size(), 2u);
  const Instance& main = songs.blocks[0];
  EXPECT_EQ(main.name, "main");
  EXPECT_EQ(main.lines, (Lines{"@tempo 1", "", "@seed 2"}));
  EXPECT_EQ(main.first_line, 10u);
  ASSERT_EQ(main.children.size(), 1u);
  EXPECT_EQ(main.children[0].name, "deep");
  EXPECT_EQ(main.children[0].lines, (Lines{"inner"}));
  EXPECT_EQ(main.children[0].first_line, 15u);
  ASSERT_EQ(main.children[0].children.size(), 1u);
  EXPECT_EQ(main.children[0].children[0].name, "deeper");
  EXPECT_EQ(main.children[0].children[0].first_line, 17u);
  EXPECT_EQ(songs.blocks[1].name, "second");
  EXPECT_TRUE(document.sections[1].blocks.empty());
}

TEST(SplitDocument, SkippedLevelsFail) {
  for (const char* text : {"## a\n", "text\n## a\n", "# A\n### b\n", "# A\n## b\n#### c\n"}) {
    SCOPED_TRACE(text);
    auto split = split_document(text);
    ASSERT_FALSE(split.has_value());
    EXPECT_EQ(split.error().text(), "subheader without an enclosing header");
  }
}

TEST(SplitDocument, SectionsWithTheSameTitleStayApart) {
  const SplitDocument document = split_ok("# A\n## x\n# A\n## y\n");
  ASSERT_EQ(document.sections.size(), 2u);
  EXPECT_EQ(document.sections[1].blocks[0].name, "y");
}

// Titles are trimmed and every section's body and line numbers are its own,
// whatever ends its heading line.
TEST(SplitDocument, SectionTitlesBodiesAndLineNumbers) {
  struct Case {
    const char* text;
    std::vector<std::string> titles;
    Lines last_lines;
    std::size_t last_block_line;
  } cases[] = {
      {"# A", {"A"}, {}, 0},
      {"#A\n#\n", {"A", ""}, {}, 0},
      {"lead\n#  A \t\r\r\nx\r\n# B \r\ny\r\n## b\r\nz", {"A", "B"}, {"y"}, 7},
      {"# A\n## a\n# B\n\n# C\nc\n\n## c\n\nz\n", {"A", "B", "C"}, {"c"}, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const SplitDocument document = split_ok(c.text);
    std::vector<std::string> titles;
    for (const RawSection& section : document.sections) titles.push_back(section.title);
    EXPECT_EQ(titles, c.titles);
    const RawSection& last = document.sections.back();
    EXPECT_EQ(last.lines, c.last_lines);
    if (!last.blocks.empty()) {
      EXPECT_EQ(last.blocks.back().first_line, c.last_block_line);
    }
  }
}

TEST(SplitDocument, FirstLineSkipsLeadingBlankLines) {
  // The heading is on line 10, two blank lines follow, then text on line 13.
  const SplitDocument document = split_ok("\n\n\n\n\n\n\n\n# S\n## b\n\n \t\ntext\n\n");
  EXPECT_EQ(document.sections[0].blocks[0].first_line, 13u);
  EXPECT_EQ(document.sections[0].blocks[0].lines, (Lines{"text"}));
}

TEST(TrimBlankEdges, TrimsEveryLevelAndMovesFirstLine) {
  Instance block{"b", {"", "\u00a0", "a", "", "b", " "}, {}, 4, {}};
  block.children.push_back(Instance{"c", {"", "x", "\u2028"}, {}, 9, {}});
  block.children[0].children.push_back(Instance{"d", {" ", ""}, {}, 20, {}});
  trim_blank_edges(block);
  EXPECT_EQ(block.lines, (Lines{"a", "", "b"}));
  EXPECT_EQ(block.first_line, 6u);
  EXPECT_EQ(block.children[0].lines, (Lines{"x"}));
  EXPECT_EQ(block.children[0].first_line, 10u);
  EXPECT_TRUE(block.children[0].children[0].lines.empty());
  EXPECT_EQ(block.children[0].children[0].first_line, 22u);
}

TEST(Separate, AddsOneLineFeedUnlessEmptyOrAlreadyBlank) {
  struct Case {
    const char* before;
    const char* after;
  } cases[] = {
      {"", ""}, {"\n", "\n\n"}, {"a\n", "a\n\n"}, {"a\n\n", "a\n\n"}, {"a", "a\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    std::string out = c.before;
    separate(out);
    EXPECT_EQ(out, c.after);
  }
}

TEST(SerializeInstance, WritesChildrenAtTheirDepth) {
  Instance block{"b", {"one", "", "two"}, {}, 1, {}};
  block.children.push_back(Instance{"c", {"x"}, {}, 1, {}});
  block.children[0].children.push_back(Instance{"d", {}, {}, 1, {}});
  block.children.push_back(Instance{"", {}, {}, 1, {}});
  std::string out = "# S\n";
  serialize_instance(out, block, 0);
  EXPECT_EQ(out, "# S\n\n## b\none\n\ntwo\n\n### c\nx\n\n#### d\n\n### \n");
}

TEST(SplitDocument, DeepNestingSplitsWritesAndDestroysWithoutRecursion) {
  constexpr int depth = 4000;
  std::string text = "# Unknown\n";
  std::string marks = "#";
  for (int level = 1; level < depth; ++level) {
    marks += '#';
    text += marks + " h\nline\n";
  }
  SplitDocument document = split_ok(text);
  std::string out;
  for (const Instance& block : document.sections[0].blocks) serialize_instance(out, block, 0);
  EXPECT_EQ(out.size(), text.size() - 10 + (depth - 2));
}

TEST(Instance, DestroysAVeryDeepChainWithoutRecursion) {
  // Far deeper than a recursive destructor could go on the default stack.
  Instance root{"0", {}, {}, 1, {}};
  Instance* tip = &root;
  for (int level = 1; level < 300000; ++level) {
    tip->children.push_back(Instance{"n", {"line"}, {}, 1, {}});
    tip = &tip->children.back();
  }
  Instance moved = std::move(root);
  EXPECT_EQ(moved.children.size(), 1u);
}

}  // namespace
}  // namespace voromel::header_format
