#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <voromel/structure.h>

#include "lsp/positions.h"

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
// [first_line, end_line), from `reading`, which has read `text`: the
// protocol's relative encoding, five integers a token (line delta, start
// delta, length, type, modifiers), the first one relative to the start of
// the text, written as JSON numbers separated by commas. A long text is read
// a slice of lines at a time, and the JSON text comes in pieces of 64 KiB,
// so that neither the structure of the whole text nor one string as long as
// the reply is ever held. From `parallel_from` lines, the two halves are
// read at once on two threads. A second thread allocates from memory of its
// own, which memory freed before does not serve: below about 128 Ki lines
// (2.5 MB), that would add more to the peak than the time saved is worth.
inline constexpr std::size_t parallel_lines = 128 * 1024;
std::vector<std::string> semantic_tokens(std::string_view text, const Reading& reading,
                                         const LineIndex& index, std::size_t first_line = 0,
                                         std::size_t end_line = SIZE_MAX,
                                         std::size_t parallel_from = parallel_lines);

}  // namespace voromel::lsp
