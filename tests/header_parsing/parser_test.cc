#include "header_parsing/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voromel::header_parsing {
namespace {

std::string describe(const LineKind& kind) {
  if (const auto* text = std::get_if<TextLine>(&kind)) return "text " + std::string(text->line);
  if (const auto* heading = std::get_if<Heading>(&kind)) {
    return "heading " + std::to_string(heading->level);
  }
  return "skipped level";
}

TEST(Parser, ClassifiesLinesAndKeepsThePath) {
  // Each row continues from the one before.
  struct Case {
    const char* line;
    const char* answer;
    std::vector<std::string> path;
  } cases[] = {
      {"# A", "heading 0", {"A"}},
      {"## x", "heading 1", {"A", "x"}},
      {"## y", "heading 1", {"A", "y"}},
      {"### z", "heading 2", {"A", "y", "z"}},
      {"some text", "text some text", {"A", "y", "z"}},
      {" # indented", "text  # indented", {"A", "y", "z"}},
      {"\t## tabbed", "text \t## tabbed", {"A", "y", "z"}},
      {"## w", "heading 1", {"A", "w"}},
      {"# B", "heading 0", {"B"}},
      {"### w", "skipped level", {"B"}},
      {"#Songs", "heading 0", {"Songs"}},
      {"#   Songs \u3000 ", "heading 0", {"Songs"}},
      {"# a # b", "heading 0", {"a # b"}},
      {"##", "heading 1", {"a # b", ""}},
      {"#", "heading 0", {""}},
      {"", "text ", {""}},
  };
  Parser parser;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(describe(parser.line(c.line)), c.answer);
    EXPECT_EQ(parser.path(), c.path);
  }
}

TEST(Parser, BlockHeadingBeforeAnySectionSkipsALevel) {
  Parser parser;
  EXPECT_EQ(describe(parser.line("text")), "text text");
  EXPECT_EQ(describe(parser.line("## block")), "skipped level");
  EXPECT_TRUE(parser.path().empty());
}

TEST(ParseHeader, DescribesTheChangeWithoutMakingIt) {
  Parser parser;
  (void)parser.line("# A");
  (void)parser.line("## b");
  (void)parser.line("### c");
  auto header = parse_header(parser, "## d");
  ASSERT_TRUE(header.has_value());
  auto& changes = std::get<PathChanges>(*header);
  EXPECT_EQ(changes.title, "d");
  EXPECT_EQ(changes.remove, 2u);
  EXPECT_EQ(parser.depth(), 3u);
  EXPECT_EQ(changes.apply(), 1u);
  EXPECT_EQ(parser.path(), (std::vector<std::string>{"A", "d"}));
  EXPECT_FALSE(parse_header(parser, "plain").has_value());
}

TEST(Parser, FollowsThousandsOfLevels) {
  Parser parser;
  std::string heading;
  for (int level = 0; level < 4000; ++level) {
    heading += '#';
    ASSERT_EQ(describe(parser.line(heading + " t")), "heading " + std::to_string(level));
  }
  EXPECT_EQ(describe(parser.line("## back")), "heading 1");
  EXPECT_EQ(parser.depth(), 2u);
}

}  // namespace
}  // namespace voromel::header_parsing
