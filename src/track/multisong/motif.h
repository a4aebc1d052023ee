#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <voromel/blocks.h>
#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "track/parse_error.h"
#include "voromel/song/note.h"

// Motif blocks: reusable phrases of notes without sound names, each note
// optionally followed by indented pitch and volume curve lines.
namespace voromel::track::multisong {

// The failures of a motif body that are not about one line's grammar.
class MotifBodyError {
 public:
  enum class Kind { NonCurveIndent, CurveWithoutNote };

  explicit MotifBodyError(Kind kind) : kind_(kind) {}

  Kind kind() const { return kind_; }
  std::string text() const;
  // The bare variant name.
  std::string_view debug_name() const;

  friend bool operator==(const MotifBodyError&, const MotifBodyError&) = default;

 private:
  Kind kind_;
};

// "<start> <pitch> <duration> [options]".
LineResult<song::Note> parse_motif_note(std::string_view line, std::size_t line_number);

struct MotifSection {
  using Value = Motif;
  static constexpr std::string_view title = "Motifs";

  static voromel::Result<Motif, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  static void serialize(const Motif& motif, std::string& out);
};

}  // namespace voromel::track::multisong
