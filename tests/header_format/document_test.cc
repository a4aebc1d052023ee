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
  static void serialize(const Value& value, std::string& out) {
    for (const std::string& line : value) out += line + "\n";
  }
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
  void serialize(std::string& out) const {
    ReadState state;
    names.serialize(out, state);
    numbers.serialize(out, state);
  }
};

using TestDocument = Document<TestSections>;

std::string rewrite(std::string_view text) {
  auto document = TestDocument::parse_with(text);
  EXPECT_TRUE(document.has_value()) << document.error().text();
  if (!document) return "";
  return document.value().serialize();
}

TEST(Document, WritesTheCanonicalLayout) {
  struct Case {
    const char* name;
    const char* text;
    const char* canonical;
  } cases[] = {
      {"empty", "", ""},
      {"only leading lines", "a\n\nb", "a\n\nb\n"},
      {"leading blank lines stay", "x\n\n\n# Other\n", "x\n\n\n# Other\n"},
      {"lone known title dropped", "# Numbers\n", ""},
      {"lone unknown title kept", "# Other\n", "# Other\n"},
      {"own lines after one blank", "# Numbers\nnote\n\n\n## a\n1\n",
       "# Numbers\n\nnote\n\n## a\n1\n"},
      {"known sections in fixed order, meta first",
       "# Other\n\n## u\nx\n# Numbers\n## n\n1\n# Names\n## m\n2\n# Meta\n@title T\n",
       "# Meta\n\n@title T\n\n# Names\n\n## m\n2\n\n# Numbers\n\n## n\n1\n\n# Other\n\n## u\nx\n"},
      {"repeated titles merge in file order", "# Numbers\n## a\n1\n# Numbers\nown\n## a\n2\n",
       "# Numbers\n\nown\n\n## a\n1\n\n## a\n2\n"},
      {"letter case makes an unknown section", "# numbers\n## a\n1\n", "# numbers\n\n## a\n1\n"},
      {"sub-blocks of known blocks dropped, of unknown blocks kept",
       "# Numbers\n## a\n1\n### sub\nlost\n# Other\n## b\n### sub\nkept\n#### deeper\n",
       "# Numbers\n\n## a\n1\n\n# Other\n\n## b\n\n### sub\nkept\n\n#### deeper\n"},
      {"later meta wins", "# Meta\n@title A\n## Tags\nt\n# Meta\n@author B\n",
       "# Meta\n\n@author B\n"},
      {"carriage returns and a missing last line end", "# Other\r\n\r\n## b\r\nx\r\ny",
       "# Other\n\n## b\nx\ny\n"},
      {"empty block names", "# Other\n##\n#\n", "# Other\n\n## \n\n# \n"},
      {"byte-order mark before a heading", "\uFEFF# Numbers\n## a\n1\n# Meta\n@title T\n",
       "\uFEFF# Meta\n\n@title T\n\n# Numbers\n\n## a\n1\n"},
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

TEST(Document, DeeplyNestedUnknownSectionRoundTrips) {
  std::string text = "# Other\n\n## h\nline\n";
  std::string marks = "##";
  for (int level = 2; level < 3000; ++level) {
    marks += '#';
    text += "\n" + marks + " h\nline\n";
  }
  EXPECT_EQ(rewrite(text), text);
}

}  // namespace
}  // namespace voromel::header_format
