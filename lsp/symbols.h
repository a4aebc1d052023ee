#pragma once

#include <string_view>
#include <vector>

#include "lsp/positions.h"
#include "lsp/protocol.h"

namespace voromel::lsp {

// `textDocument/documentSymbol`: the sections, their blocks and the blocks'
// sub-blocks, each from its heading to its last line.
std::vector<DocumentSymbol> document_symbols(std::string_view text, const LineIndex& index);

// `textDocument/foldingRange`: every section, block and sub-block that spans
// more than its heading.
std::vector<FoldingRange> folding_ranges(std::string_view text);

}  // namespace voromel::lsp
