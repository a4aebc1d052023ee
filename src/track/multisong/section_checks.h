#pragma once

#include "header_format/parse_error.h"
#include "header_format/result.h"
#include "track/multisong/track_sections.h"

// Checks that refuse a document carrying text that the rewrite would keep but
// nothing reads, or would drop.
namespace voromel::track::multisong {

// Text in a known section before its first block.
header_format::Result<header_format::Ok, header_format::ParseError> check_section_preambles(
    const TrackDocument& document);

// A sub-block (three or more '#') inside a block of a known section or inside
// the Tags and Description blocks of the meta section.
header_format::Result<header_format::Ok, header_format::ParseError> check_sub_blocks(
    const TrackDocument& document);

// More than one "# Meta" section: only the last is kept.
header_format::Result<header_format::Ok, header_format::ParseError> check_single_meta(
    const TrackDocument& document);

}  // namespace voromel::track::multisong
