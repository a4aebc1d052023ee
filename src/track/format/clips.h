#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "header_format/result.h"
#include "song/note.h"
#include "track/parse_error.h"

// Clip lines of a layer (a note, or a motif or subtrack placement) and the
// indented override and trim lines under a placement.
namespace voromel::track::format {

using Placement = std::variant<song::MotifInstance, song::SubtrackInstance>;

// A trimmed clip line: "motif ..." or "subtrack ..." gives the placement; a
// note line is read into `note` (as `read_note_line` does) and gives nothing.
LineResult<std::optional<Placement>> read_track_line(std::string_view line, std::size_t line_number,
                                                     song::Note& note);

// The start of a note line that is already its own canonical text: ASCII
// "<sound> <start> <pitch> <duration>" with single spaces and every number
// plain and canonical. Nothing for any other line, canonical or not.
std::optional<float> canonical_note_start(std::string_view line);

// "note <index> <fields>" appends an override; "trim <from> <count>" sets
// the trim. Both are left unchanged on error.
LineResult<header_format::Ok> apply_placement_override(std::vector<song::NoteOverride>& overrides,
                                                       std::optional<song::Trim>& trim,
                                                       std::string_view line,
                                                       std::size_t line_number);

// An unsigned 64-bit integer: an optional '+' and ASCII digits.
LineResult<std::uint64_t> parse_index(std::string_view token, std::size_t line_number,
                                      std::string_view label);

std::string format_motif_instance(const song::MotifInstance& placement);
std::string format_subtrack_instance(const song::SubtrackInstance& placement);
std::string format_note_override(const song::NoteOverride& note_override);

}  // namespace voromel::track::format
