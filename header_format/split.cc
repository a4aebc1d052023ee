#include "header_format/split.h"

#include <algorithm>
#include <utility>
#include <variant>

#include "header_format/outline.h"
#include "header_format/text.h"
#include "header_parsing/parser.h"

namespace voromel::header_format {

Children::~Children() {
  std::vector<Instance> pending(std::make_move_iterator(begin()), std::make_move_iterator(end()));
  clear();
  while (!pending.empty()) {
    Instance last = std::move(pending.back());
    pending.pop_back();
    for (Instance& child : last.children) pending.push_back(std::move(child));
    last.children.clear();
  }
}

namespace {

// Where the first line of `text` that starts with '#' starts, or its end.
// Few lines hold a '#' at all, so '#' alone is looked for.
std::size_t first_marked_line(std::string_view text) {
  for (std::size_t mark = text.find('#'); mark != std::string_view::npos;
       mark = text.find('#', mark + 1)) {
    if (mark == 0 || text[mark - 1] == '\n') return mark;
  }
  return text.size();
}

std::size_t count_line_ends(std::string_view text) {
  std::size_t count = 0;
  // A one-byte count cannot overflow within 255 bytes, and the compiler
  // turns such a loop into vector compares.
  constexpr std::size_t run_length = 255;
  for (std::size_t at = 0; at < text.size(); at += run_length) {
    unsigned char in_run = 0;
    for (const char c : text.substr(at, run_length)) in_run += c == '\n' ? 1 : 0;
    count += in_run;
  }
  return count;
}

// The lines of a text before its first heading line: their length in bytes
// and their count, a last line without a line end included.
struct LinesBefore {
  std::size_t length;
  std::size_t count;
};

LinesBefore lines_before_heading(std::string_view text) {
  const std::size_t length = first_marked_line(text);
  const std::string_view lines = text.substr(0, length);
  std::size_t count = count_line_ends(lines);
  if (!lines.empty() && !lines.ends_with('\n')) ++count;
  return {length, count};
}

// Cuts a text into lines at '\n', every '\r' at the end of a line removed,
// so that "x\r\r\n" settles to "x" in one rewrite. Counts file lines from
// `first_number`.
class LineCursor {
 public:
  LineCursor(std::string_view text, std::size_t first_number)
      : rest_(text), number_(first_number) {}

  bool done() const { return rest_.empty(); }
  // 1-based file line number of the next line.
  std::size_t number() const { return number_; }

  std::string_view next() {
    const std::size_t end = rest_.find('\n');
    std::string_view line = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return line;
  }

  // What is left, from the next line on.
  std::string_view rest() const { return rest_; }

  // Passes over the lines before the next heading line.
  void skip_to_heading() {
    const LinesBefore skipped = lines_before_heading(rest_);
    rest_.remove_prefix(skipped.length);
    number_ += skipped.count;
  }

 private:
  std::string_view rest_;
  std::size_t number_;
};

// The number of '#' a heading line starts with; 0 for a text line. Only a
// run at column 0 makes a heading; later '#' belong to the title.
std::size_t heading_marks(std::string_view line) {
  if (!line.starts_with('#')) return 0;
  return std::min(line.find_first_not_of('#'), line.size());
}

std::string_view heading_title(std::string_view line, std::size_t marks) {
  return trim(line.substr(marks));
}

void trim_blank_lines(std::vector<std::string_view>& lines, std::size_t& first_line) {
  std::size_t leading = 0;
  while (leading < lines.size() && is_blank(lines[leading])) ++leading;
  lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(leading));
  first_line += leading;
  while (!lines.empty() && is_blank(lines.back())) lines.pop_back();
}

void write_heading_and_lines(std::string& out, const Instance& block, std::size_t depth) {
  separate(out);
  out.append(depth + 2, '#');
  out += ' ';
  out += block.name;
  out += '\n';
  for (const std::string_view line : block.lines) {
    out += line;
    out += '\n';
  }
}

}  // namespace

Result<DocumentOutline, ParseError> outline_document(std::string_view text) {
  DocumentOutline outline;
  outline.text_ = text;
  header_parsing::Parser parser;
  LineCursor lines(text, 1);
  while (!lines.done()) {
    // Only a line that starts with '#' can be a heading.
    if (!outline.headings_.empty()) {
      lines.skip_to_heading();
      if (lines.done()) break;
    }
    const std::size_t line_number = lines.number();
    const std::size_t offset = text.size() - lines.rest().size();
    const std::string_view line = lines.next();
    const auto kind = parser.line(line);
    if (std::holds_alternative<header_parsing::SkippedLevel>(kind)) {
      return ParseError::orphan_subheader(line);
    }
    const auto* heading = std::get_if<header_parsing::Heading>(&kind);
    if (heading && heading->level == 0) {
      outline.headings_.push_back({offset, line_number});
    } else if (outline.headings_.empty()) {
      outline.leading_lines.push_back(line);
    }
  }
  return outline;
}

SectionText DocumentOutline::section(std::size_t index) const {
  const HeadingAt& at = headings_[index];
  const std::size_t end = index + 1 < headings_.size() ? headings_[index + 1].offset : text_.size();
  LineCursor lines(text_.substr(at.offset, end - at.offset), at.line_number);
  const std::string_view heading = lines.next();
  return SectionText{heading_title(heading, 1), lines.rest(), lines.number(), heading};
}

SectionReader::SectionReader(const SectionText& section)
    : rest_(section.body), first_line_(section.first_line) {
  LineCursor lines(rest_, first_line_);
  while (!lines.done()) {
    // The first heading is left for `next_block`.
    const LineCursor before = lines;
    const std::string_view line = lines.next();
    if (heading_marks(line) != 0) {
      lines = before;
      break;
    }
    own_lines_.push_back(line);
  }
  std::size_t unused = 0;
  trim_blank_lines(own_lines_, unused);
  rest_ = lines.rest();
  first_line_ = lines.number();
}

// A block runs from its "##" heading to the next one; deeper headings open
// sub-blocks under the last open block one level up.
std::optional<Instance> SectionReader::next_block() {
  if (rest_.empty()) return std::nullopt;
  LineCursor lines(rest_, first_line_);
  const std::size_t heading_number = lines.number();
  const std::string_view heading = lines.next();
  Instance block{std::string(heading_title(heading, 2)), {}, {}, heading_number + 1, heading};
  // A block may be long: its own lines are allocated once, at their count.
  block.lines.reserve(lines_before_heading(lines.rest()).count);
  // The open blocks, outermost first; each points at the last entry of its
  // parent's children, which later headings never move.
  std::vector<Instance*> open{&block};
  while (!lines.done()) {
    // The next block's heading is left for the next call.
    const LineCursor before = lines;
    const std::size_t line_number = lines.number();
    const std::string_view line = lines.next();
    const std::size_t marks = heading_marks(line);
    if (marks == 2) {
      lines = before;
      break;
    }
    if (marks == 0) {
      open.back()->lines.push_back(line);
      continue;
    }
    open.resize(marks - 2);
    Children& siblings = open.back()->children;
    siblings.push_back(
        Instance{std::string(heading_title(line, marks)), {}, {}, line_number + 1, line});
    open.push_back(&siblings.back());
  }
  rest_ = lines.rest();
  first_line_ = lines.number();
  trim_blank_edges(block);
  return block;
}

std::string_view heading_name(std::string_view line) {
  return heading_title(line, heading_marks(line));
}

Result<SplitDocument, ParseError> split_document(std::string_view text) {
  auto outline = outline_document(text);
  if (!outline) return std::move(outline).error();
  SplitDocument document;
  document.leading_lines = std::move(outline.value().leading_lines);
  for (std::size_t index = 0; index < outline.value().section_count(); ++index) {
    const SectionText section = outline.value().section(index);
    SectionReader reader(section);
    RawSection raw{std::string(section.title), reader.own_lines(), {}};
    while (auto block = reader.next_block()) raw.blocks.push_back(std::move(*block));
    document.sections.push_back(std::move(raw));
  }
  return document;
}

void trim_blank_edges(Instance& block) {
  std::vector<Instance*> pending{&block};
  while (!pending.empty()) {
    Instance* next = pending.back();
    pending.pop_back();
    trim_blank_lines(next->lines, next->first_line);
    for (Instance& child : next->children) pending.push_back(&child);
  }
}

void separate(std::string& out) {
  if (out.empty() || out.ends_with("\n\n")) return;
  out += '\n';
}

void serialize_instance(std::string& out, const Instance& block, std::size_t depth) {
  // The blocks whose children are still being written, with the next child.
  struct Open {
    const Instance* block;
    std::size_t next_child;
  };
  write_heading_and_lines(out, block, depth);
  std::vector<Open> open{{&block, 0}};
  while (!open.empty()) {
    Open& top = open.back();
    if (top.next_child == top.block->children.size()) {
      open.pop_back();
      continue;
    }
    const Instance& child = top.block->children[top.next_child++];
    write_heading_and_lines(out, child, depth + open.size());
    open.push_back({&child, 0});
  }
}

}  // namespace voromel::header_format
