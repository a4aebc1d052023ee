#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <voromel/result.h>
#include "track/parse_error.h"
#include "voromel/song/note.h"

// Clip lines of a layer (a note, or a motif or subtrack placement) and the
// indented override and trim lines under a placement.
namespace voromel::track::format {

using Placement = std::variant<song::MotifInstance, song::SubtrackInstance>;

// A trimmed clip line: "motif ..." or "subtrack ..." gives the placement; a
// note line is read into `note` (as `read_note_line` does) and gives nothing.
LineResult<std::optional<Placement>> read_track_line(std::string_view line, std::size_t line_number,
                                                     song::Note& note);

// A note line that starts as the canonical text has it, "<sound> <start>
// <pitch>", in visible ASCII fields parted by ASCII white space, and goes on
// with a tail of the duration and any options ("2 glide 5 linear").
struct PlainNoteHead {
  // "<sound> <start> <pitch>" as the line has it, and each of its fields.
  std::string_view head;
  std::array<std::string_view, 3> fields;
  float start;
  // Whether the head's fields stand apart by one space each.
  bool single_spaced;
  std::string_view tail;

  // Appends the head with each run of white space made one space.
  void append_head_to(std::string& out) const;
};
std::optional<PlainNoteHead> read_plain_note_head(std::string_view trimmed);

// "note <index> <fields>" appends an override; "trim <from> <count>" sets
// the trim. Both are left unchanged on error.
LineResult<voromel::Ok> apply_placement_override(std::vector<song::NoteOverride>& overrides,
                                                 std::optional<song::Trim>& trim,
                                                 std::string_view line, std::size_t line_number);

// An unsigned 64-bit integer: an optional '+' and ASCII digits.
LineResult<std::uint64_t> parse_index(std::string_view token, std::size_t line_number,
                                      std::string_view label);

// The clip and override lines without their indentation or line end.
void append_motif_instance(std::string& out, const song::MotifInstance& placement);
void append_subtrack_instance(std::string& out, const song::SubtrackInstance& placement);
void append_note_override(std::string& out, const song::NoteOverride& note_override);

}  // namespace voromel::track::format
