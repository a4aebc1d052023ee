#include "lsp/outline.h"

#include <algorithm>
#include <array>
#include <string>

namespace voromel::lsp {

namespace {

constexpr std::array<std::string_view, 10> titles = {
    "Meta",  "Songs",     "Layers", "Sounds",    "Tunings",
    "Waves", "Subtitles", "Motifs", "Snapshots", "Reverb",
};

bool is_blank_char(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\n';
}

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    if (end > start && text[end - 1] == '\r' && end < text.size()) --end;
    lines.push_back(text.substr(start, end - start));
    start = next;
  }
  return lines;
}

std::size_t depth_of(std::string_view line) {
  std::size_t depth = 0;
  while (depth < line.size() && line[depth] == '#') ++depth;
  return depth;
}

// Closes a heading's span at `end`, finding its last non-blank line.
void close(Heading& heading, std::size_t end, const std::vector<std::string_view>& lines) {
  heading.span_end = end;
  heading.last_line = heading.line;
  for (std::size_t line = end; line > heading.line + 1; --line) {
    if (!is_blank(lines[line - 1])) {
      heading.last_line = line - 1;
      break;
    }
  }
}

Heading heading_at(std::string_view line, std::size_t number, std::size_t depth) {
  Heading heading;
  heading.line = number;
  heading.title = trim_blanks(line.substr(depth));
  heading.title_column = heading.title.empty()
                             ? line.size()
                             : static_cast<std::size_t>(heading.title.data() - line.data());
  return heading;
}

}  // namespace

SectionKind section_kind(std::string_view title) {
  for (std::size_t i = 0; i < titles.size(); ++i) {
    if (titles[i] == title) return static_cast<SectionKind>(i);
  }
  return SectionKind::Unknown;
}

std::string_view section_title(SectionKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < titles.size() ? titles[index] : std::string_view();
}

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank_char(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank_char(text.back())) text.remove_suffix(1);
  return text;
}

bool is_blank(std::string_view text) {
  return trim_blanks(text).empty();
}

Outline outline_of(std::string_view text) {
  Outline outline;
  outline.lines = split_lines(text);
  const auto& lines = outline.lines;
  std::size_t depth = 0;
  // Closes the open sub-block, block and section down to `level`.
  auto close_to = [&](std::size_t level, std::size_t end) {
    if (outline.sections.empty()) return;
    Section& section = outline.sections.back();
    if (!section.blocks.empty()) {
      Block& block = section.blocks.back();
      if (!block.sub_blocks.empty() && block.sub_blocks.back().span_end == 0 && level <= 3) {
        close(block.sub_blocks.back(), end, lines);
      }
      if (block.heading.span_end == 0 && level <= 2) close(block.heading, end, lines);
    }
    if (section.heading.span_end == 0 && level <= 1) close(section.heading, end, lines);
  };
  auto end_body = [&](std::size_t end) {
    if (outline.sections.empty()) return;
    Section& section = outline.sections.back();
    Heading* open = &section.heading;
    if (!section.blocks.empty()) {
      Block& block = section.blocks.back();
      open = &block.heading;
      if (!block.sub_blocks.empty()) open = &block.sub_blocks.back();
    }
    if (open->body_end == 0) open->body_end = end;
  };
  for (std::size_t number = 0; number < lines.size(); ++number) {
    const std::size_t level = depth_of(lines[number]);
    if (level == 0) continue;
    if (level > depth + 1) {
      outline.skipped_depth_line = number;
      break;
    }
    end_body(number);
    close_to(level, number);
    depth = level;
    Heading heading = heading_at(lines[number], number, level);
    if (level == 1) {
      outline.sections.push_back({heading, section_kind(heading.title), {}});
    } else if (level == 2) {
      outline.sections.back().blocks.push_back({heading, {}});
    } else {
      // Deeper headings all belong to the block; the reader keeps them
      // apart from its body.
      Block& block = outline.sections.back().blocks.back();
      if (!block.sub_blocks.empty() && block.sub_blocks.back().span_end == 0) {
        close(block.sub_blocks.back(), number, lines);
      }
      block.sub_blocks.push_back(heading);
    }
  }
  const std::size_t end = outline.skipped_depth_line.value_or(lines.size());
  end_body(end);
  close_to(1, end);
  return outline;
}

}  // namespace voromel::lsp
