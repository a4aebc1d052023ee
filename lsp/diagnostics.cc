#include "lsp/diagnostics.h"

#include "lsp/positions.h"
#include "lsp/track_library.h"

namespace voromel::lsp {

std::vector<Diagnostic> diagnostics_of(std::string_view text, PositionEncoding encoding) {
  std::vector<Diagnostic> diagnostics;
  const auto problem = diagnose(text);
  if (!problem) return diagnostics;
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
