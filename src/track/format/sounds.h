#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "track/format/harmonics.h"
#include "track/parse_error.h"
#include "voromel/song/sound.h"

// The body of a sound block: harmonic lines and "@" directives, read into a
// `Sound` and written back in one fixed order without the defaults.
namespace voromel::track::format {

// Applies one "@" line: `name` is the text after the '@' up to the first
// white space, `arguments` the trimmed rest of the line.
LineResult<voromel::Ok> apply_sound_directive(song::Sound& sound, std::string_view name,
                                              std::string_view arguments, std::size_t line_number);

// Applies one trimmed, non-blank body line, numbered `line_number`: lines
// beginning with '@' are directives, the others harmonic lines.
LineResult<voromel::Ok> apply_sound_line(song::Sound& sound, std::string_view text,
                                         std::size_t line_number);

// Reads a whole body. A failure on the k-th line is reported at line k,
// holding the line error of that same k.
voromel::Result<song::Sound, header_format::ParseError> parse_sound(
    std::span<const std::string_view> lines);

// The canonical body: one line per written item, each ending in '\n'.
void append_sound(std::string& out, const song::Sound& sound);

}  // namespace voromel::track::format
