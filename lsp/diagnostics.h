#pragma once

#include <string_view>
#include <vector>

#include <voromel/structure.h>

#include "lsp/protocol.h"

namespace voromel::lsp {

// What `textDocument/publishDiagnostics` carries for a text: its first
// problem (an error where the reader stops, a warning where the tool
// refuses to rewrite), or nothing when the text is fine.
// `reading` is the text's reading, which this brings up to date.
std::vector<Diagnostic> diagnostics_of(std::string_view text, Reading& reading,
                                       PositionEncoding encoding);

}  // namespace voromel::lsp
