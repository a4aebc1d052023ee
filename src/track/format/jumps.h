#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "header_format/text.h"
#include "track/parse_error.h"
#include "voromel/song/jump.h"

// The clauses after a jump's target: "[<skip>] [tempo <t>|×<f>]
// [via <motif> sound <sound>] [if <source> <comparison> <value>]".
namespace voromel::track::format {

// Reads the clauses from the tokens left after the target. `label` is the
// directive's name ("jump" or "jump-at") as some messages show it.
LineResult<song::Jump> parse_jump_clauses(header_format::Tokens& tokens, std::size_t line_number,
                                          std::string_view label, std::string target);

// Appends the clause text of a jump, each clause after one space.
void append_jump_clauses(std::string& out, const song::Jump& jump);

std::string_view comparison_text(song::Comparison comparison);

}  // namespace voromel::track::format
