#include "lsp/navigation.h"

#include <algorithm>

#include "lsp/names.h"
#include "lsp/positions.h"

namespace voromel::lsp {

namespace {

// The document's names and the one at the position, if any.
struct Lookup {
  Structure structure;
  NameIndex names;
  LineIndex index;
  const NamePlace* name = nullptr;

  Lookup(std::string_view text, Position position, PositionEncoding encoding)
      : structure(structure_of(text)), names(text, structure), index(text, encoding) {
    name = names.at(index.offset_of(position));
  }

  Range range(const TextSpan& span) const { return index.range_of(span.begin, span.end); }
};

// Whether every name of the renamed text at `spans` reads as `name`, of the
// kind it had, and nothing else in the text reads differently.
bool reads_back_renamed(std::string_view renamed, const std::vector<TextSpan>& spans,
                        const Structure& before, NameKind kind) {
  const Structure after = structure_of(renamed);
  if (after.names.size() != before.names.size()) return false;
  for (const TextSpan& span : spans) {
    const auto name = std::lower_bound(
        after.names.begin(), after.names.end(), span.begin,
        [](const NamePlace& place, std::size_t at) { return place.span.begin < at; });
    if (name == after.names.end() || name->span != span) return false;
    if (name->kind != kind && defining_section(name->kind) != defining_section(kind)) return false;
  }
  return true;
}

// The text with every span (in file order) replaced by `name`, and where
// each replacement stands in it.
std::string renamed_text(std::string_view text, const std::vector<TextSpan>& spans,
                         std::string_view name, std::vector<TextSpan>& moved) {
  std::string out;
  std::size_t at = 0;
  for (const TextSpan& span : spans) {
    out.append(text.substr(at, span.begin - at));
    moved.push_back({out.size(), out.size() + name.size()});
    out.append(name);
    at = span.end;
  }
  out.append(text.substr(at));
  return out;
}

}  // namespace

std::optional<Location> definition_of(const std::string& uri, std::string_view text,
                                      Position position, PositionEncoding encoding) {
  const Lookup lookup(text, position, encoding);
  if (!lookup.name) return std::nullopt;
  const auto definitions = lookup.names.definitions(*lookup.name);
  if (definitions.empty()) return std::nullopt;
  return Location{uri, lookup.range(definitions.front())};
}

std::vector<Location> references_of(const std::string& uri, std::string_view text,
                                    Position position, bool include_declaration,
                                    PositionEncoding encoding) {
  std::vector<Location> locations;
  const Lookup lookup(text, position, encoding);
  if (!lookup.name) return locations;
  const auto definitions = lookup.names.definitions(*lookup.name);
  if (definitions.empty()) return locations;
  if (include_declaration) {
    for (const TextSpan& span : definitions) locations.push_back({uri, lookup.range(span)});
  }
  for (const TextSpan& span : lookup.names.uses(*lookup.name)) {
    locations.push_back({uri, lookup.range(span)});
  }
  return locations;
}

Reply<WorkspaceEdit> rename_edit(const std::string& uri, std::string_view text, Position position,
                                 std::string_view new_name, PositionEncoding encoding) {
  const Lookup lookup(text, position, encoding);
  if (!lookup.name) return ResponseError{ErrorCode::RequestFailed, "no block name here"};
  const auto definitions = lookup.names.definitions(*lookup.name);
  const std::string old_name(lookup.names.text_of(*lookup.name));
  const auto section = defining_section(lookup.name->kind);
  if (definitions.empty()) {
    return ResponseError{ErrorCode::RequestFailed,
                         (section ? "no block defines '" : "nothing defines '") + old_name + "'"};
  }
  if (new_name != old_name && !lookup.names.definitions(*lookup.name, new_name).empty()) {
    const std::string taken = "'" + std::string(new_name) + "'";
    return ResponseError{
        ErrorCode::RequestFailed,
        section ? "'# " + std::string(section_title(*section)) + "' already has a block " + taken
                : taken + " is defined already"};
  }
  std::vector<TextSpan> spans = definitions;
  const auto uses = lookup.names.uses(*lookup.name);
  spans.insert(spans.end(), uses.begin(), uses.end());
  std::vector<TextSpan> in_order = spans;
  std::sort(in_order.begin(), in_order.end(),
            [](const TextSpan& a, const TextSpan& b) { return a.begin < b.begin; });
  std::vector<TextSpan> moved;
  const std::string renamed = renamed_text(text, in_order, new_name, moved);
  if (!reads_back_renamed(renamed, moved, lookup.structure, lookup.name->kind)) {
    return ResponseError{ErrorCode::RequestFailed,
                         "cannot rename to '" + std::string(new_name) +
                             "': the text would not read it back as that one name"};
  }
  std::vector<TextEdit> edits;
  for (const TextSpan& span : spans) edits.push_back({lookup.range(span), std::string(new_name)});
  WorkspaceEdit edit;
  edit.changes.emplace_back(uri, std::move(edits));
  return edit;
}

}  // namespace voromel::lsp
