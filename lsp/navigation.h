#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/protocol.h"

namespace voromel::lsp {

// `textDocument/definition`: the heading of the block that the name at the
// position names; nothing for a built-in name that no block defines.
std::optional<Location> definition_of(const std::string& uri, std::string_view text,
                                      Position position, PositionEncoding encoding);

// `textDocument/references`: every place that names the block, its
// heading(s) first when the declaration is asked for.
std::vector<Location> references_of(const std::string& uri, std::string_view text,
                                    Position position, bool include_declaration,
                                    PositionEncoding encoding);

// `textDocument/rename`: the block's heading and every use renamed, or
// RequestFailed when the new name would not read back as that one name.
Reply<WorkspaceEdit> rename_edit(const std::string& uri, std::string_view text, Position position,
                                 std::string_view new_name, PositionEncoding encoding);

}  // namespace voromel::lsp
