#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "track/multisong/section_kinds.h"

// The refusals of a document carrying text that the rewrite would keep but
// nothing reads, or would drop.
namespace voromel::track::multisong {

// A reason to refuse a rewrite, and where it is.
struct Refusal {
  std::string message;
  // The text it concerns, a view into the text read; empty when it comes
  // from a model.
  std::string_view place;
  // The section title and block name it is in; the block is empty for text
  // outside any block.
  std::string section;
  std::string block;
};

// Text in a known section before its first block: the refusal for the first
// line of `lines` (the section's own lines) that is not blank, if any.
std::optional<Refusal> preamble_refusal(std::string_view title,
                                        std::span<const std::string_view> lines);

// A sub-block (three or more '#') inside a block of a known section or inside
// the Tags and Description blocks of the meta section; `place` is its
// heading line in the text read, if known.
Refusal sub_block_refusal(std::string_view heading, std::string_view block, std::string_view title,
                          std::string_view place);

// Every "# Meta" section but the last would be dropped by a rewrite; `place`
// is the second one's title in the text read, if known.
Refusal repeated_meta_refusal(std::size_t meta_sections, std::string_view place);

}  // namespace voromel::track::multisong
