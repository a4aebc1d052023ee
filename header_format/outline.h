#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "header_format/split.h"

// Splitting a text section by section and block by block, and writing raw
// blocks back.
namespace voromel::header_format {

// A '#' section found in a text, not yet split into blocks. Its title and
// body are views into the text.
struct SectionText {
  std::string_view title;
  // The lines after its heading, up to the next section's heading.
  std::string_view body;
  // 1-based file line number of the first line of `body`.
  std::size_t first_line = 0;
  // The heading line, without its line end.
  std::string_view heading;
};

// The sections of a text, found in one pass that also checks the level of
// every heading (the only way splitting can fail), so that each section can
// be split later, block by block. A text may hold a great many short
// sections: the outline keeps only where each heading is, and reads a
// section's title and body from the text when asked.
class DocumentOutline {
 public:
  // The lines before the first section.
  std::vector<std::string_view> leading_lines;

  std::size_t section_count() const { return headings_.size(); }
  // The section at `index`, in file order.
  SectionText section(std::size_t index) const;

 private:
  friend Result<DocumentOutline, ParseError> outline_document(std::string_view text);

  struct HeadingAt {
    // Where the heading line starts in the text.
    std::size_t offset = 0;
    // Its 1-based file line number.
    std::size_t line_number = 0;
  };

  std::string_view text_;
  std::deque<HeadingAt> headings_;
};

Result<DocumentOutline, ParseError> outline_document(std::string_view text);

// Splits the body of a section of an outline: its own lines at once, then
// one block at a time, each with blank edges dropped as `split_document`
// drops them.
class SectionReader {
 public:
  explicit SectionReader(const SectionText& section);

  // The lines before the first block.
  const std::vector<std::string_view>& own_lines() const { return own_lines_; }
  bool has_blocks_left() const { return !rest_.empty(); }
  // The next block, or nothing after the last.
  std::optional<Instance> next_block();

 private:
  std::vector<std::string_view> own_lines_;
  // From the next block's heading on.
  std::string_view rest_;
  std::size_t first_line_;
};

// Drops blank lines at both edges of a block's body and of all its children,
// keeping `first_line` on the first remaining line.
void trim_blank_edges(Instance& block);

// Appends '\n' unless the output is empty or already ends in a blank line.
void separate(std::string& out);

// Appends a block with a heading of depth + 2 '#', its lines and its children.
void serialize_instance(std::string& out, const Instance& block, std::size_t depth);

}  // namespace voromel::header_format
