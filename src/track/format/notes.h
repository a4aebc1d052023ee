#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "header_format/text.h"
#include "track/parse_error.h"
#include "voromel/song/note.h"
#include "voromel/song/wave_point.h"

// The note-line grammar, shared by layer and motif notes, and the small
// readers that sound directives and placement overrides borrow from it.
namespace voromel::track::format {

// A double-quoted text that may span several tokens. `first_part` is the
// opening token without its double quote; the tokens inside the quotes come
// back joined by single spaces, without the closing quote.
LineResult<std::string> read_quoted(std::string_view first_part, header_format::Tokens& tokens,
                                    std::size_t line_number);

// "<offset>... rate <steps per second>", from the first offset token on.
LineResult<song::Arpeggio> parse_arpeggio(std::string_view first_offset,
                                          header_format::Tokens& tokens, std::size_t line_number);

// Appends "<offset>... rate <steps per second>" after "arpeggio" or
// "@arpeggio", each number in its canonical text.
void append_arpeggio_values(std::string& out, const song::Arpeggio& arpeggio);

// Whether the text ends in ".wav", ".mp3", ".ogg" or ".flac", in any case.
bool is_audio_filename(std::string_view text);

// What the first token of a layer's clip line makes of the line: only a
// `Sound` starts a note line.
enum class LineStart { Motif, Subtrack, AudioClip, Heading, Sound };
LineStart classify_line_start(std::string_view first_token);

// The options that follow the fields of a note line, in any order.
struct NoteOptions {
  std::vector<song::WavePoint> pitch_curve;
  std::vector<song::WavePoint> volume_curve;
  std::string text;
  song::Arpeggio arpeggio;
  float volume = 1;
  std::uint32_t repeat = 0;
  bool text_apostrophe = false;
};

// Consumes every remaining token; a later option of a kind replaces an
// earlier one.
LineResult<NoteOptions> parse_note_options(header_format::Tokens& tokens, std::size_t line_number);

// The start, pitch and duration fields and the options of a note line, from
// the tokens after the sound (a layer note) or from the first (a motif note).
// A missing field is "{missing_prefix} needs start" and so on.
LineResult<song::Note> parse_note_fields(header_format::Tokens& tokens, std::size_t line_number,
                                         std::string_view missing_prefix);
// The same, read into `note`, every member of which it sets; on error the
// note is left half read.
LineResult<voromel::Ok> read_note_fields(header_format::Tokens& tokens, std::size_t line_number,
                                         std::string_view missing_prefix, song::Note& note);
// What follows the start and pitch: the duration and the options, read into
// `note`, every member of which but the sound, start and pitch it sets.
LineResult<voromel::Ok> read_note_tail(header_format::Tokens& tokens, std::size_t line_number,
                                       std::string_view missing_prefix, song::Note& note);

// A layer note line whose first token, the sound, is `sound`, read into
// `note` as `read_note_fields` does.
LineResult<voromel::Ok> read_note_line(std::string_view sound, header_format::Tokens& tokens,
                                       std::size_t line_number, song::Note& note);

// The note line without line end, then any curve lines, each after "\n  ".
void append_note(std::string& out, const song::Note& note);
std::string format_note(const song::Note& note);

// The option clauses of a note line, then its indented curve lines.
void append_note_options(std::string& out, float volume,
                         const std::vector<song::WavePoint>& pitch_curve,
                         const std::vector<song::WavePoint>& volume_curve, const std::string& text,
                         bool text_apostrophe, const song::Arpeggio& arpeggio,
                         std::uint32_t repeat_count);

// Everything of a note after its sound: the start, pitch and total duration,
// the options, then the curve lines. A motif note is written as this alone.
void append_note_body(std::string& out, const song::Note& note);

// The canonical text of a note line's tail, what follows "<sound> <start>
// <pitch>" ("2 glide 5 linear"), when no curve line follows the note. It is
// read into a note of its own and written from it, so that it depends on
// the tail alone and serves every line that ends the same. Nothing when the
// tail does not read, or gives a note whose pitch does not settle.
std::optional<std::string> canonical_note_tail(std::string_view tail);

}  // namespace voromel::track::format
