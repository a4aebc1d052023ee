#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "header_format/text.h"
#include "track/parse_error.h"
#include "voromel/song/curve.h"

namespace voromel::track::format {

// One of "linear", "ease-in", "ease-out", "ease", matched exactly.
std::optional<song::Curve> curve_from_keyword(std::string_view token);
LineResult<song::Curve> parse_curve(std::string_view token, std::size_t line_number);

// Takes the next token only when it is a curve keyword.
std::optional<song::Curve> curve_token(header_format::Tokens& tokens);

// The keyword of a curve, and the suffix writers put after a value: nothing
// for ease, " linear", " ease-in" or " ease-out" otherwise.
std::string_view curve_keyword(song::Curve curve);
void append_curve_suffix(std::string& out, song::Curve curve);

}  // namespace voromel::track::format
