#include "header_format/section_grammar.h"

#include "header_format/outline.h"

namespace voromel::header_format {

std::string sub_block_heading(const Instance& child, std::size_t depth) {
  std::string heading(depth + 3, '#');
  heading += ' ';
  heading += child.name;
  return heading;
}

namespace {

template <class Line>
void write_section_head(std::string& out, std::string_view title, std::span<const Line> lines) {
  separate(out);
  out += "# ";
  out += title;
  out += '\n';
  if (lines.empty()) return;
  out += '\n';
  for (const std::string_view line : lines) {
    out += line;
    out += '\n';
  }
}

}  // namespace

void serialize_section_head(std::string& out, std::string_view title,
                            std::span<const std::string_view> lines) {
  write_section_head(out, title, lines);
}

void serialize_section_head(std::string& out, std::string_view title,
                            std::span<const std::string> lines) {
  write_section_head(out, title, lines);
}

void serialize_block_heading(std::string& out, std::string_view name) {
  separate(out);
  out += "## ";
  out += name;
  out += '\n';
}

}  // namespace voromel::header_format
