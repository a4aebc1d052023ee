#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"

namespace voromel::lsp {

// The token types the server announces, in the order of their indexes.
inline constexpr std::string_view semantic_token_types[] = {
    "namespace",  // a section heading
    "class",      // a block heading
    "keyword",    // a directive or a line's keyword
    "number",     // a number
    "type",       // a name of a block of another section
};

// `textDocument/semanticTokens/full`, and `range` for the tokens of lines
// [first_line, end_line): the protocol's relative encoding, five integers a
// token (line delta, start delta, length, type, modifiers), the first one
// relative to the start of the text.
std::vector<std::uint32_t> semantic_tokens(std::string_view text, PositionEncoding encoding,
                                           std::size_t first_line = 0,
                                           std::size_t end_line = SIZE_MAX);

}  // namespace voromel::lsp
