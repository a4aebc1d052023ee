#include "header_format/split.h"

#include <utility>

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

// The lines of a text: cut at '\n', every '\r' at the end of a line removed,
// so that "x\r\r\n" settles to "x" in one rewrite.
std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

void trim_blank_lines(std::vector<std::string_view>& lines, std::size_t& first_line) {
  std::size_t leading = 0;
  while (leading < lines.size() && is_blank(lines[leading])) ++leading;
  lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(leading));
  first_line += leading;
  while (!lines.empty() && is_blank(lines.back())) lines.pop_back();
}

// Builds the document from the classified lines. `open` holds the open
// blocks, one per heading level below the section; each points at the last
// entry of its parent's list, which later headings never move.
class Splitter {
 public:
  Result<SplitDocument, ParseError> run(std::string_view text) {
    const std::vector<std::string_view> lines = split_lines(text);
    for (std::size_t index = 0; index < lines.size(); ++index) {
      const auto kind = parser_.line(lines[index]);
      if (std::holds_alternative<header_parsing::SkippedLevel>(kind)) {
        return ParseError::orphan_subheader();
      }
      if (const auto* heading = std::get_if<header_parsing::Heading>(&kind)) {
        open_heading(heading->level, index + 1);
      } else {
        add_text(lines[index]);
      }
    }
    trim_sections();
    return std::move(document_);
  }

 private:
  void open_heading(std::size_t level, std::size_t line_number) {
    std::string title = parser_.path().back();
    open_.resize(level == 0 ? 0 : level - 1);
    if (level == 0) {
      document_.sections.push_back(RawSection{std::move(title), {}, {}});
      return;
    }
    std::vector<Instance>& siblings =
        open_.empty() ? document_.sections.back().blocks : open_.back()->children;
    siblings.push_back(Instance{std::move(title), {}, {}, line_number + 1});
    open_.push_back(&siblings.back());
  }

  void add_text(std::string_view line) {
    if (!open_.empty()) {
      open_.back()->lines.emplace_back(line);
    } else if (!document_.sections.empty()) {
      document_.sections.back().lines.emplace_back(line);
    } else {
      document_.leading_lines.emplace_back(line);
    }
  }

  void trim_sections() {
    for (RawSection& section : document_.sections) {
      std::size_t unused = 0;
      trim_blank_lines(section.lines, unused);
      for (Instance& block : section.blocks) trim_blank_edges(block);
    }
  }

  header_parsing::Parser parser_;
  SplitDocument document_;
  std::vector<Instance*> open_;
};

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

Result<SplitDocument, ParseError> split_document(std::string_view text) {
  return Splitter().run(text);
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
