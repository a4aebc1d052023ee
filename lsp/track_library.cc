#include "lsp/track_library.h"

#include "voromel/voromel.h"

namespace voromel::lsp {

namespace {

TrackProblem problem_of(const Error& error) {
  TrackProblem problem;
  problem.kind = error.refuses() ? TrackProblem::Kind::Refused : TrackProblem::Kind::Parsing;
  problem.message = error.message();
  if (const auto line = error.line()) problem.line = *line - 1;
  return problem;
}

}  // namespace

CanonicalOutcome canonical_text(std::string_view text) {
  CanonicalOutcome outcome;
  auto written = format(text);
  if (!written) {
    outcome.problem = problem_of(written.error());
    return outcome;
  }
  outcome.changed = written.value().changed;
  outcome.text = std::move(written.value().text);
  return outcome;
}

}  // namespace voromel::lsp
