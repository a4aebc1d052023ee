#include "lsp/names.h"

#include <algorithm>

namespace voromel::lsp {

namespace {

// Groups beyond the sections' own indexes.
constexpr int parameter_group = 100;
constexpr int marker_group = 101;

}  // namespace

NameIndex::NameIndex(std::string_view text, const Structure& structure)
    : text_(text), structure_(structure) {
  for (const SectionPlace& section : structure.sections) {
    if (section.kind != SectionKind::Songs) continue;
    for (const BlockPlace& block : section.blocks) song_starts_.push_back(block.heading.begin);
  }
  by_key_.reserve(structure.names.size());
  for (const NamePlace& name : structure.names)
    by_key_.emplace_back(key_of(name, text_of(name)), &name);
  std::stable_sort(by_key_.begin(), by_key_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

NameIndex::Key NameIndex::key_of(const NamePlace& name, std::string_view text) const {
  if (const auto section = defining_section(name.kind)) {
    return {static_cast<int>(*section), 0, text};
  }
  if (name.kind == NameKind::Parameter) return {parameter_group, 0, text};
  const auto song = std::upper_bound(song_starts_.begin(), song_starts_.end(), name.span.begin);
  return {marker_group, static_cast<std::size_t>(song - song_starts_.begin()), text};
}

std::vector<const NamePlace*> NameIndex::named(const Key& key) const {
  const auto [first, last] = std::equal_range(
      by_key_.begin(), by_key_.end(), std::pair<Key, const NamePlace*>(key, nullptr),
      [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<const NamePlace*> names;
  for (auto at = first; at != last; ++at) names.push_back(at->second);
  return names;
}

const NamePlace* NameIndex::at(std::size_t offset) const {
  const auto& names = structure_.names;
  // Names are in file order and never overlap.
  auto after =
      std::upper_bound(names.begin(), names.end(), offset,
                       [](std::size_t at, const NamePlace& name) { return at < name.span.begin; });
  if (after == names.begin()) return nullptr;
  const NamePlace& name = *std::prev(after);
  return offset <= name.span.end ? &name : nullptr;
}

std::string_view NameIndex::text_of(const NamePlace& name) const {
  return text_.substr(name.span.begin, name.span.end - name.span.begin);
}

std::vector<TextSpan> NameIndex::definitions(const NamePlace& name, std::string_view text) const {
  std::vector<TextSpan> spans;
  for (const NamePlace* other : named(key_of(name, text))) {
    if (other->defines) spans.push_back(other->span);
  }
  return spans;
}

std::vector<TextSpan> NameIndex::definitions(const NamePlace& name) const {
  return definitions(name, text_of(name));
}

std::vector<TextSpan> NameIndex::uses(const NamePlace& name) const {
  std::vector<TextSpan> spans;
  for (const NamePlace* other : named(key_of(name, text_of(name)))) {
    if (!other->defines) spans.push_back(other->span);
  }
  return spans;
}

}  // namespace voromel::lsp
