#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "header_format/text.h"
#include "song/note.h"
#include "track/parse_error.h"

// The note-line grammar, shared by layer and motif notes, and the small
// readers that sound directives and placement overrides borrow from it.
namespace voromel::track::format {

// A double-quoted text that may span several tokens. `first_part` is the
// opening token without its double quote; the tokens inside the quotes come
// back joined by single spaces, without the closing quote.
LineResult<std::string> read_quoted(std::string_view first_part, header_format::Tokens& tokens,
                                    std::size_t line);

// "<offset>... rate <steps per second>", from the first offset token on.
LineResult<song::Arpeggio> parse_arpeggio(std::string_view first_offset,
                                          header_format::Tokens& tokens, std::size_t line);

// Whether the text ends in ".wav", ".mp3", ".ogg" or ".flac", in any case.
bool is_audio_filename(std::string_view text);

}  // namespace voromel::track::format
