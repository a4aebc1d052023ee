#include "header_format/document_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "header_format/section_grammar.h"

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
  SectionList<NumberSection::Value> names;
  SectionList<NumberSection::Value> numbers;
};
struct ReadState {};

template <class Kind>
Result<Claim, ParseError> claim(SectionList<typename Kind::Value>& list,
                                std::vector<std::string_view>& lines, std::vector<Instance>& blocks,
                                ReadState& state) {
  if (auto appended = append_blocks<Kind>(list, blocks, state); !appended) {
    return appended.error();
  }
  list.lines.insert(list.lines.end(), lines.begin(), lines.end());
  return Claim::Claimed;
}

Result<Claim, ParseError> claim_section(TestSections& sections, std::string_view title,
                                        std::vector<std::string_view>& lines,
                                        std::vector<Instance>& blocks, ReadState& state) {
  if (title == NumberSection::title)
    return claim<NumberSection>(sections.numbers, lines, blocks, state);
  if (title == Named2Section::title)
    return claim<Named2Section>(sections.names, lines, blocks, state);
  return Claim::NotMine;
}

// A document of the toy sections, shaped as the reader wants one.
struct TestDocument {
  bool has_byte_order_mark = false;
  std::vector<std::string> leading_lines;
  Meta meta;
  std::size_t meta_sections = 0;
  TestSections sections;
  std::vector<UnknownSection> unknown;
};

const auto parse_test_document = parse_document<TestDocument, ReadState>;

TEST(Document, CountsMetaSections) {
  auto document = parse_test_document("# Meta\n@title A\n# Other\n# Meta\n@title B\n");
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
    auto document = parse_test_document(c.text);
    ASSERT_FALSE(document.has_value());
    EXPECT_EQ(document.error().text(), c.message);
  }
}

}  // namespace
}  // namespace voromel::header_format
