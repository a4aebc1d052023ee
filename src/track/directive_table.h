#pragma once

#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "voromel/directives.h"

// What every kind of block's directive table holds beside its reader and
// writer, and how its rows are described to callers of the library.
namespace voromel::track {

template <class Model>
struct DirectiveHelp {
  // Empty for a directive that is read only to be refused.
  std::string_view usage;
  // Appends the value a default `Model` holds, as the writer would write
  // it; null for a setting that is absent until given.
  void (*default_value)(std::string& out, const Model& defaults);
  std::string_view description;
};

// Each of `rows` (which have a `name` and a `help`) as a `Directive`, in
// the rows' order. The defaults are those of a value-initialised `Model`.
template <class Model, class Rows>
std::vector<Directive> describe_rows(std::string_view section, std::string_view prefix,
                                     const Rows& rows) {
  const Model defaults{};
  std::vector<Directive> described;
  described.reserve(std::size(rows));
  for (const auto& row : rows) {
    // A row without a usage reads its directive only to refuse it.
    if (row.help.usage.empty()) continue;
    Directive& directive = described.emplace_back();
    directive.section = section;
    directive.name = std::string(prefix) + std::string(row.name);
    directive.usage = row.help.usage;
    if (row.help.default_value) {
      row.help.default_value(directive.default_text.emplace(), defaults);
    }
    directive.description = row.help.description;
  }
  return described;
}

}  // namespace voromel::track
