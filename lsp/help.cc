#include "lsp/help.h"

#include <voromel/directives.h>

#include "lsp/outline.h"
#include "lsp/positions.h"

namespace voromel::lsp {

namespace {

bool is_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

bool is_space(char c) {
  return c == ' ' || c == '\t';
}

// The settings of a section's blocks (of the meta section's own lines), as
// the library reads and writes them.
struct Settings {
  SectionKind section;
  std::vector<Directive> directives;

  // Whether they are '@' directives (all but the keys of a reverb preset).
  bool are_directives() const { return directives.front().name.starts_with('@'); }
};

// Where a line gives settings: the meta section's own lines, and the bodies
// of the blocks of the other sections that have settings.
std::optional<Settings> settings_at(const Outline& outline, std::size_t line) {
  for (const Section& section : outline.sections) {
    if (line <= section.heading.line || line >= section.heading.span_end) continue;
    std::vector<Directive> directives = directives_of(section_title(section.kind));
    if (directives.empty()) return std::nullopt;
    if (section.kind == SectionKind::Meta) {
      if (line >= section.heading.body_end) return std::nullopt;
      return Settings{section.kind, std::move(directives)};
    }
    for (const Block& block : section.blocks) {
      if (line > block.heading.line && line < block.heading.body_end) {
        return Settings{section.kind, std::move(directives)};
      }
    }
  }
  return std::nullopt;
}

const Directive* find_directive(const Settings& settings, std::string_view name) {
  for (const Directive& directive : settings.directives) {
    if (directive.name == name) return &directive;
  }
  return nullptr;
}

std::string default_text(const Directive& directive) {
  return directive.default_text ? *directive.default_text : "none";
}

// The setting name being written at `column`: its start (at an '@' for
// directives) when it starts where a setting may.
std::optional<std::size_t> setting_start(std::string_view line, std::size_t column,
                                         const Settings& settings) {
  std::size_t start = column;
  while (start > 0 && is_name_char(line[start - 1])) --start;
  if (settings.are_directives()) {
    if (start == 0 || line[start - 1] != '@') return std::nullopt;
    --start;
  }
  const std::string_view before = line.substr(0, start);
  const bool first = before.find_first_not_of(" \t") == std::string_view::npos;
  // Layers give several directives on one line; the others one a line.
  if (first || (settings.section == SectionKind::Layers && is_space(before.back()))) return start;
  return std::nullopt;
}

}  // namespace

std::vector<CompletionItem> completion_at(std::string_view text, Position position,
                                          PositionEncoding encoding) {
  std::vector<CompletionItem> items;
  const Outline outline = outline_of(text);
  const LineIndex index(text, encoding);
  const std::size_t offset = index.offset_of(position);
  const std::size_t line = index.line_of(offset);
  const auto settings = settings_at(outline, line);
  if (!settings) return items;
  const std::size_t line_start = index.line_start(line);
  const std::string_view line_text = text.substr(line_start, index.line_end(line) - line_start);
  const auto start = setting_start(line_text, offset - line_start, *settings);
  if (!start) return items;
  for (const Directive& directive : settings->directives) {
    CompletionItem item;
    item.label = directive.name;
    item.detail = directive.usage;
    item.documentation = directive.description + " Default: " + default_text(directive) + ".";
    item.edit = {index.range_of(line_start + *start, offset), item.label};
    items.push_back(std::move(item));
  }
  return items;
}

std::optional<Hover> hover_at(std::string_view text, Position position, PositionEncoding encoding) {
  const Outline outline = outline_of(text);
  const LineIndex index(text, encoding);
  const std::size_t offset = index.offset_of(position);
  const std::size_t line = index.line_of(offset);
  const auto settings = settings_at(outline, line);
  if (!settings) return std::nullopt;
  const std::size_t line_start = index.line_start(line);
  const std::string_view line_text = text.substr(line_start, index.line_end(line) - line_start);
  std::size_t end = offset - line_start;
  while (end < line_text.size() && is_name_char(line_text[end])) ++end;
  // The cursor may stand on the '@' itself.
  if (end < line_text.size() && line_text[end] == '@') {
    ++end;
    while (end < line_text.size() && is_name_char(line_text[end])) ++end;
  }
  const auto start = setting_start(line_text, end, *settings);
  if (!start) return std::nullopt;
  const Directive* directive = find_directive(*settings, line_text.substr(*start, end - *start));
  if (!directive) return std::nullopt;
  Hover hover;
  hover.contents = "`" + directive->usage + "`\n\n" + directive->description + "\n\nDefault: `" +
                   default_text(*directive) + "`";
  hover.range = index.range_of(line_start + *start, line_start + end);
  return hover;
}

}  // namespace voromel::lsp
