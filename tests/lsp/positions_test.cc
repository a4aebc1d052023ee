#include "lsp/positions.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace voromel::lsp {
namespace {

// "aé漢😀b" : a (1 byte), é (2), 漢 (3), 😀 (4), b (1); in UTF-16 the emoji
// takes two units.
constexpr std::string_view text =
    "x\r\na\xC3\xA9\xE6\xBC\xA2\xF0\x9F\x98\x80"
    "b\nlast";

TEST(LineIndex, ColumnsToOffsetsAndBack) {
  struct Case {
    PositionEncoding encoding;
    std::size_t character;
    std::size_t offset;
  } cases[] = {
      {PositionEncoding::Utf16, 0, 3},  {PositionEncoding::Utf16, 1, 4},
      {PositionEncoding::Utf16, 2, 6},  {PositionEncoding::Utf16, 3, 9},
      {PositionEncoding::Utf16, 5, 13}, {PositionEncoding::Utf16, 6, 14},
      {PositionEncoding::Utf8, 1, 4},   {PositionEncoding::Utf8, 3, 6},
      {PositionEncoding::Utf8, 6, 9},   {PositionEncoding::Utf8, 10, 13},
      {PositionEncoding::Utf8, 11, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.character);
    const LineIndex index(text, c.encoding);
    EXPECT_EQ(index.offset_of({1, c.character}), c.offset);
    EXPECT_EQ(index.position_of(c.offset), (Position{1, c.character}));
  }
}

TEST(LineIndex, PositionsOutsideTheTextAreClamped) {
  struct Case {
    const char* name;
    Position position;
    std::size_t offset;
  } cases[] = {
      {"inside the emoji's two units", {1, 4}, 9},
      {"past the end of a line ending in a carriage return", {0, 7}, 1},
      {"past the end of the line", {1, 99}, 14},
      {"past the last line", {7, 0}, text.size()},
      {"on the last line, which has no line end", {2, 2}, 17},
  };
  const LineIndex index(text, PositionEncoding::Utf16);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(index.offset_of(c.position), c.offset);
  }
}

TEST(LineIndex, ATextEndingInALineFeedHasAnEmptyLastLine) {
  const LineIndex index("a\nb\n", PositionEncoding::Utf16);
  EXPECT_EQ(index.line_count(), 3u);
  EXPECT_EQ(index.position_of(4), (Position{2, 0}));
}

TEST(ReplaceRange, KeepsTheLineStartsInStepWithTheText) {
  struct Edit {
    Range range;
    const char* replacement;
  };
  struct Case {
    const char* name;
    std::vector<Edit> edits;
    const char* result;
  } cases[] = {
      {"inside a line", {{{{1, 1}, {1, 2}}, "xy"}}, "ab\ncxye\nf"},
      {"joining three lines", {{{{0, 1}, {2, 0}}, ""}}, "af"},
      {"splitting a line, then removing a line after it",
       {{{{1, 1}, {1, 1}}, "1\n2\n"}, {{{4, 0}, {5, 0}}, ""}},
       "ab\nc1\n2\nde\n"},
      {"at the end, past the last line", {{{{9, 0}, {9, 0}}, "\ng"}}, "ab\ncde\nf\ng"},
      {"an end before the start inserts at the start", {{{{1, 2}, {0, 0}}, "|"}}, "ab\ncd|e\nf"},
      {"a line feed taken away and put back, then the last line joined",
       {{{{0, 2}, {1, 0}}, ""}, {{{0, 2}, {0, 2}}, "\r\n"}, {{{1, 9}, {2, 1}}, "."}},
       "ab\r\ncde."},
      {"after a character of two units",
       {{{{0, 0}, {0, 0}}, "\xF0\x9F\x98\x80"}, {{{0, 2}, {0, 3}}, "\n"}},
       "\xF0\x9F\x98\x80\nb\ncde\nf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string edited = "ab\ncde\nf";
    std::vector<std::size_t> starts = line_starts(edited);
    for (const Edit& edit : c.edits) {
      replace_range(edited, starts, edit.range, edit.replacement, PositionEncoding::Utf16);
    }
    EXPECT_EQ(edited, c.result);
    EXPECT_EQ(starts, line_starts(edited));
    // The same edits made together, on pieces of one line and more.
    std::vector<RangedEdit> together;
    for (const Edit& edit : c.edits) together.push_back({edit.range, edit.replacement});
    for (const std::size_t piece_size : {1, 4, 1 << 16}) {
      SCOPED_TRACE(piece_size);
      edited = "ab\ncde\nf";
      starts = line_starts(edited);
      replace_ranges(edited, starts, together, PositionEncoding::Utf16, piece_size);
      EXPECT_EQ(edited, c.result);
      EXPECT_EQ(starts, line_starts(edited));
    }
  }
}

// Edits made together, on pieces of several sizes, leave the text and its
// line starts as the same edits made one by one: pieces grow, shrink, join
// and move either way in the text's buffer.
TEST(ReplaceRange, EditsTogetherAsOneByOne) {
  std::mt19937 random(7);
  const std::string_view parts[] = {"",     "a",       "\n", "bc\n", "\xC3\xA9", "\xF0\x9F\x98\x80",
                                    "\r\n", "de\nf\ng"};
  const auto part = [&] { return parts[random() % std::size(parts)]; };
  for (int round = 0; round < 300; ++round) {
    std::string original;
    for (int i = 0; i < 40; ++i) original += part();
    std::string one_by_one = original;
    std::vector<std::size_t> starts = line_starts(one_by_one);
    std::vector<RangedEdit> edits;
    for (int i = 0; i < 12; ++i) {
      const Position start{random() % 16, random() % 6};
      const Position end = random() % 4 == 0 ? Position{start.line + random() % 3, random() % 6}
                                             : Position{start.line, start.character + random() % 3};
      edits.push_back({{start, end}, part()});
      replace_range(one_by_one, starts, edits.back().range, edits.back().text,
                    PositionEncoding::Utf16);
    }
    for (const std::size_t piece_size : {1, 3, 16}) {
      SCOPED_TRACE(testing::Message() << "round " << round << ", pieces of " << piece_size);
      std::string together = original;
      starts = line_starts(together);
      replace_ranges(together, starts, edits, PositionEncoding::Utf16, piece_size);
      EXPECT_EQ(together, one_by_one);
      EXPECT_EQ(starts, line_starts(together));
    }
  }
}

}  // namespace
}  // namespace voromel::lsp
