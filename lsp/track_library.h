#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The canonical text of a document, as the server asks the library for it;
// where things are in a text comes from <voromel/structure.h>.
namespace voromel::lsp {

struct TrackProblem {
  enum class Kind {
    // The text does not read.
    Parsing,
    // The text reads, but the tool will not rewrite it.
    Refused,
  };
  Kind kind = Kind::Parsing;
  // The tool's message, as it prints it after "Parsing a.track: ".
  std::string message;
  // The file line it concerns, from 0, when the library knows it.
  std::optional<std::size_t> line;
};

// The canonical form of a text, or the problem that stops the tool from
// writing it.
struct CanonicalOutcome {
  std::optional<TrackProblem> problem;
  // The canonical text when there is no problem.
  std::string text;
  bool changed = false;
};
CanonicalOutcome canonical_text(std::string_view text);

}  // namespace voromel::lsp
