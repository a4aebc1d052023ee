#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Everything the server asks of the voromel library, in the server's own
// terms. No other file of the server calls into the library.
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

// The first problem of a text, where the tool's reader stops; none when the
// tool would rewrite it.
std::optional<TrackProblem> diagnose(std::string_view text);

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
