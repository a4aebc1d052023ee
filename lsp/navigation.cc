#include "lsp/navigation.h"

#include "lsp/names.h"
#include "lsp/positions.h"

namespace voromel::lsp {

namespace {

// The document's names and the one at the position, if any.
struct Lookup {
  Outline outline;
  Names names;
  LineIndex index;
  std::optional<NameAt> name;

  Lookup(std::string_view text, Position position, PositionEncoding encoding)
      : outline(outline_of(text)), names(names_of(outline)), index(text, encoding) {
    const std::size_t offset = index.offset_of(position);
    const std::size_t line = index.line_of(offset);
    name = name_at(names, line, offset - index.line_start(line));
  }

  Range range(const NamePlace& place) const {
    const std::size_t start = index.line_start(place.line);
    return index.range_of(start + place.begin, start + place.end);
  }
};

}  // namespace

std::optional<Location> definition_of(const std::string& uri, std::string_view text,
                                      Position position, PositionEncoding encoding) {
  const Lookup lookup(text, position, encoding);
  if (!lookup.name) return std::nullopt;
  const auto definitions = definitions_of(lookup.names, *lookup.name);
  if (definitions.empty()) return std::nullopt;
  return Location{uri, lookup.range(definitions.front())};
}

std::vector<Location> references_of(const std::string& uri, std::string_view text,
                                    Position position, bool include_declaration,
                                    PositionEncoding encoding) {
  std::vector<Location> locations;
  const Lookup lookup(text, position, encoding);
  if (!lookup.name) return locations;
  const auto definitions = definitions_of(lookup.names, *lookup.name);
  if (definitions.empty()) return locations;
  if (include_declaration) {
    for (const NamePlace& place : definitions) locations.push_back({uri, lookup.range(place)});
  }
  for (const NamePlace& place : uses_of(lookup.names, *lookup.name)) {
    locations.push_back({uri, lookup.range(place)});
  }
  return locations;
}

Reply<WorkspaceEdit> rename_edit(const std::string& uri, std::string_view text, Position position,
                                 std::string_view new_name, PositionEncoding encoding) {
  const Lookup lookup(text, position, encoding);
  if (!lookup.name) return ResponseError{ErrorCode::RequestFailed, "no block name here"};
  const auto definitions = definitions_of(lookup.names, *lookup.name);
  const std::string old_name(lookup.name->name);
  if (definitions.empty()) {
    return ResponseError{ErrorCode::RequestFailed, "no block defines '" + old_name + "'"};
  }
  const std::string title(section_title(lookup.name->section));
  if (auto unusable = unusable_name(lookup.name->section, new_name)) {
    return ResponseError{ErrorCode::RequestFailed, "cannot rename to " + *unusable};
  }
  if (new_name != old_name &&
      !definitions_of(lookup.names, NameAt{lookup.name->section, new_name}).empty()) {
    return ResponseError{ErrorCode::RequestFailed,
                         "'# " + title + "' already has a block '" + std::string(new_name) + "'"};
  }
  std::vector<TextEdit> edits;
  for (const NamePlace& place : definitions) {
    edits.push_back({lookup.range(place), std::string(new_name)});
  }
  for (const NamePlace& place : uses_of(lookup.names, *lookup.name)) {
    edits.push_back({lookup.range(place), std::string(new_name)});
  }
  WorkspaceEdit edit;
  edit.changes.emplace_back(uri, std::move(edits));
  return edit;
}

}  // namespace voromel::lsp
