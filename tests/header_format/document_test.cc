#include "voromel/header_format/document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "voromel/header_format/section_list.h"

namespace voromel::header_format {
namespace {

// A section kind whose blocks hold numbers, one per line; "bad" fails on its
// line.
struct Error {
  std::string message;
  std::string text() const { return message; }
};

struct NumberSection {
  using Value = std::vector<std::string>;
  static constexpr std::string_view title = "Numbers";
  static Result<Value, ParseError> parse(std::span<const std::string_view> lines) {
    for (std::size_t k = 0; k < lines.size(); ++k) {
      if (lines[k] == "bad") return ParseError::at_line(k + 1, Error{"bad number"});
    }
    return Value(lines.begin(), lines.end());
  }
  static void serialize(const Value&, std::string&) {}
};

struct Named2Section : NumberSection {
  static constexpr std::string_view title = "Names";
};

struct TestSections {
  SectionList<Named2Section> names;
  SectionList<NumberSection> numbers;

  struct ReadState {};

  Result<Claim, ParseError> try_parse_into(std::string_view title,
                                           std::vector<std::string_view>& lines,
                                           std::vector<Instance>& blocks, ReadState&) {
    if (title == NumberSection::title) return claim(numbers, lines, blocks);
    if (title == Named2Section::title) return claim(names, lines, blocks);
    return Claim::NotMine;
  }
  template <class List>
  static Result<Claim, ParseError> claim(List& list, std::vector<std::string_view>& lines,
                                         std::vector<Instance>& blocks) {
    ReadState state;
    if (auto appended = list.append_blocks(blocks, state); !appended) return appended.error();
    list.lines.insert(list.lines.end(), lines.begin(), lines.end());
    return Claim::Claimed;
  }
};

using TestDocument = Document<TestSections>;

TEST(Document, CountsMetaSections) {
  auto document = TestDocument::parse_with("# Meta\n@title A\n# Other\n# Meta\n@title B\n");
  ASSERT_TRUE(document.has_value());
  EXPECT_EQ(document.value().meta_sections, 2u);
  EXPECT_EQ(document.value().meta.title, "B");
}

TEST(Document, ReportsErrorsWithFileLineNumbers) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"## a\n", "subheader without an enclosing header"},
      {"# Meta\n@nope x\n", "unknown meta directive '@nope'"},
      {"\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n# Numbers\n## a\n1\n2\n3\n4\nbad\n",
       "line 25: bad number"},
      {"# Numbers\n## a\n\n\n1\n\nbad\n", "line 7: bad number"},
      {"# Numbers\n## ok\n1\n# Numbers\n## a\nbad\n", "line 6: bad number"},
      {"\uFEFF# Numbers\n## a\nbad\n", "line 3: bad number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto document = TestDocument::parse_with(c.text);
    ASSERT_FALSE(document.has_value());
    EXPECT_EQ(document.error().text(), c.message);
  }
}

}  // namespace
}  // namespace voromel::header_format
