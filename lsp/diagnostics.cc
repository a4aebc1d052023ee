#include "lsp/diagnostics.h"

#include <optional>
#include <unordered_set>

#include "lsp/names.h"
#include "lsp/positions.h"
#include "lsp/track_library.h"

namespace voromel::lsp {

namespace {

// Layers, motifs and tunings have no built-in names: a name of one that no
// block defines is most likely a slip. Sounds, waves and reverb presets may
// name what the player brings along.
bool has_no_built_in_names(SectionKind kind) {
  return kind == SectionKind::Layers || kind == SectionKind::Motifs || kind == SectionKind::Tunings;
}

void add_undefined_names(std::string_view text, PositionEncoding encoding,
                         std::vector<Diagnostic>& diagnostics) {
  // Most documents have no hint: the index of their lines is not built.
  std::optional<LineIndex> index;
  const Outline outline = outline_of(text);
  const Names names = names_of(outline, target(SectionKind::Layers) | target(SectionKind::Motifs) |
                                            target(SectionKind::Tunings));
  std::unordered_set<std::string_view> defined[static_cast<std::size_t>(SectionKind::Unknown)];
  for (const NameDefinition& definition : names.definitions) {
    defined[static_cast<std::size_t>(definition.section)].insert(definition.name);
  }
  for (const NameUse& use : names.uses) {
    if (!has_no_built_in_names(use.target)) continue;
    if (defined[static_cast<std::size_t>(use.target)].contains(use.name)) continue;
    if (!index) index.emplace(text, encoding);
    const std::size_t start = index->line_start(use.place.line);
    Diagnostic hint;
    hint.range = index->range_of(start + use.place.begin, start + use.place.end);
    hint.severity = DiagnosticSeverity::Hint;
    hint.message = "no block '## " + std::string(use.name) + "' in '# " +
                   std::string(section_title(use.target)) + "'";
    diagnostics.push_back(std::move(hint));
  }
}

}  // namespace

std::vector<Diagnostic> diagnostics_of(std::string_view text, PositionEncoding encoding) {
  std::vector<Diagnostic> diagnostics;
  const auto problem = diagnose(text);
  if (!problem) {
    add_undefined_names(text, encoding, diagnostics);
    return diagnostics;
  }
  const LineIndex index(text, encoding);
  const std::size_t line = std::min(problem->line.value_or(0), index.line_count() - 1);
  Diagnostic diagnostic;
  diagnostic.range = index.line_range(line);
  diagnostic.severity = problem->kind == TrackProblem::Kind::Refused ? DiagnosticSeverity::Warning
                                                                     : DiagnosticSeverity::Error;
  diagnostic.message = problem->message;
  diagnostics.push_back(std::move(diagnostic));
  return diagnostics;
}

}  // namespace voromel::lsp
