#pragma once

#include <span>
#include <string_view>

#include <voromel/structure.h>

namespace voromel::lsp {

// One setting a block's lines may give: an '@' directive, or a key of a
// reverb preset. What completion offers and hover shows.
struct Setting {
  SectionKind section;
  std::string_view name;
  // What the block has when no line gives the setting.
  std::string_view default_value;
  std::string_view usage;
};

// The settings of a section's blocks (the meta section's own lines for
// Meta), in the order the canonical text writes them.
std::span<const Setting> settings_of(SectionKind section);
const Setting* find_setting(SectionKind section, std::string_view name);

// Whether a section's settings are '@' directives (all but reverb keys).
bool settings_are_directives(SectionKind section);

}  // namespace voromel::lsp
