#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"

namespace voromel::lsp {

struct CompletionItem {
  std::string label;
  std::string detail;
  std::string documentation;
  TextEdit edit;
};

// `textDocument/completion`: the settings of the section the cursor is in,
// where a setting can start: '@' directives, or the keys of a reverb preset.
std::vector<CompletionItem> completion_at(std::string_view text, Position position,
                                          PositionEncoding encoding);

struct Hover {
  // Markdown.
  std::string contents;
  Range range;
};

// `textDocument/hover`: a setting's usage and its default.
std::optional<Hover> hover_at(std::string_view text, Position position, PositionEncoding encoding);

}  // namespace voromel::lsp
