#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "header_format/text.h"
#include "track/parse_error.h"
#include "voromel/song/effect.h"

// The effect text of a layer's "@effect" directive, in both directions.
namespace voromel::track::format {

// Reads an effect text such as "echo 0.25 0.5 0.3", applying the clamps and
// defaults of its kind. Tokens after the last value a kind takes are ignored.
LineResult<song::Effect> parse_effect(std::string_view text, std::size_t line_number);

// The next token as a float: "effect '{effect}' missing {label}" when there
// is none, the number message with the label when it is not a number.
LineResult<float> take_float(header_format::Tokens& tokens, std::string_view label,
                             std::string_view effect, std::size_t line_number);

// The canonical effect text: the keyword and every field, defaulted ones
// included, separated by single spaces.
void append_effect(std::string& out, const song::Effect& effect);
std::string format_effect(const song::Effect& effect);

}  // namespace voromel::track::format
