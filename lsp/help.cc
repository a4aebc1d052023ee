#include "lsp/help.h"

#include <voromel/structure.h>

#include "lsp/positions.h"
#include "lsp/settings.h"

namespace voromel::lsp {

namespace {

bool is_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

bool is_space(char c) {
  return c == ' ' || c == '\t';
}

// Where a line (from 0) gives settings: the meta section's own lines and
// blocks, and the bodies of the blocks of the other sections that have
// settings.
std::optional<SectionKind> settings_section_at(const Structure& structure, std::size_t line) {
  const std::size_t number = line + 1;
  for (const SectionPlace& section : structure.sections) {
    if (number <= section.line || number >= section.end_line) continue;
    if (section.kind == SectionKind::Meta) {
      const std::size_t own_end =
          section.blocks.empty() ? section.end_line : section.blocks[0].line;
      return number < own_end ? std::optional(SectionKind::Meta) : std::nullopt;
    }
    for (const BlockPlace& block : section.blocks) {
      const std::size_t body_end =
          block.sub_blocks.empty() ? block.end_line : block.sub_blocks[0].line;
      if (number > block.line && number < body_end && !settings_of(section.kind).empty()) {
        return section.kind;
      }
    }
  }
  return std::nullopt;
}

// The setting name being written at `column`: its start (at an '@' for
// directives) when it starts where a setting may.
std::optional<std::size_t> setting_start(std::string_view line, std::size_t column,
                                         SectionKind section) {
  std::size_t start = column;
  while (start > 0 && is_name_char(line[start - 1])) --start;
  const bool directive = settings_are_directives(section);
  if (directive) {
    if (start == 0 || line[start - 1] != '@') return std::nullopt;
    --start;
  }
  const std::string_view before = line.substr(0, start);
  const bool first = before.find_first_not_of(" \t") == std::string_view::npos;
  // Layers give several directives on one line; the others one a line.
  if (first || (section == SectionKind::Layers && is_space(before.back()))) return start;
  return std::nullopt;
}

}  // namespace

std::vector<CompletionItem> completion_at(std::string_view text, Position position,
                                          PositionEncoding encoding) {
  std::vector<CompletionItem> items;
  const Structure structure = structure_of(text);
  const LineIndex index(text, encoding);
  const std::size_t offset = index.offset_of(position);
  const std::size_t line = index.line_of(offset);
  const auto section = settings_section_at(structure, line);
  if (!section) return items;
  const std::size_t line_start = index.line_start(line);
  const std::string_view line_text = text.substr(line_start, index.line_end(line) - line_start);
  const auto start = setting_start(line_text, offset - line_start, *section);
  if (!start) return items;
  const std::string prefix = settings_are_directives(*section) ? "@" : "";
  for (const Setting& setting : settings_of(*section)) {
    CompletionItem item;
    item.label = prefix + std::string(setting.name);
    item.detail = setting.usage;
    item.documentation = "default: " + std::string(setting.default_value);
    item.edit = {index.range_of(line_start + *start, offset), item.label};
    items.push_back(std::move(item));
  }
  return items;
}

std::optional<Hover> hover_at(std::string_view text, Position position, PositionEncoding encoding) {
  const Structure structure = structure_of(text);
  const LineIndex index(text, encoding);
  const std::size_t offset = index.offset_of(position);
  const std::size_t line = index.line_of(offset);
  const auto section = settings_section_at(structure, line);
  if (!section) return std::nullopt;
  const std::size_t line_start = index.line_start(line);
  const std::string_view line_text = text.substr(line_start, index.line_end(line) - line_start);
  std::size_t end = offset - line_start;
  while (end < line_text.size() && is_name_char(line_text[end])) ++end;
  // The cursor may stand on the '@' itself.
  if (end < line_text.size() && line_text[end] == '@') {
    ++end;
    while (end < line_text.size() && is_name_char(line_text[end])) ++end;
  }
  const auto start = setting_start(line_text, end, *section);
  if (!start) return std::nullopt;
  const std::size_t name_start = *start + (settings_are_directives(*section) ? 1 : 0);
  const Setting* setting = find_setting(*section, line_text.substr(name_start, end - name_start));
  if (!setting) return std::nullopt;
  Hover hover;
  hover.contents = "`" + std::string(setting->usage) + "`\n\nDefault: `" +
                   std::string(setting->default_value) + "`";
  hover.range = index.range_of(line_start + *start, line_start + end);
  return hover;
}

}  // namespace voromel::lsp
