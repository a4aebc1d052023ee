#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "header_format/parse_error.h"
#include "track/multisong/section_kinds.h"
#include "voromel/header_format/result.h"

// The refusals of a document carrying text that the rewrite would keep but
// nothing reads, or would drop.
namespace voromel::track::multisong {

// Text in a known section before its first block: the refusal for the first
// line of `lines` (the section's own lines) that is not blank, if any.
std::optional<std::string> preamble_refusal(std::string_view title,
                                            std::span<const std::string_view> lines);

// A sub-block (three or more '#') inside a block of a known section or inside
// the Tags and Description blocks of the meta section.
std::string sub_block_refusal(std::string_view heading, std::string_view block,
                              std::string_view title);

// Every "# Meta" section but the last would be dropped by a rewrite.
std::string repeated_meta_refusal(std::size_t meta_sections);

}  // namespace voromel::track::multisong
