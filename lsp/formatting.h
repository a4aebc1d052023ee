#pragma once

#include <string_view>
#include <vector>

#include "lsp/protocol.h"

namespace voromel::lsp {

// The edits of `textDocument/formatting`: those that turn the text into its
// canonical form, touching only the lines that differ. A text that does not
// read, or that the tool refuses, gets RequestFailed with the tool's message.
Reply<std::vector<TextEdit>> formatting_edits(std::string_view text, PositionEncoding encoding);

}  // namespace voromel::lsp
