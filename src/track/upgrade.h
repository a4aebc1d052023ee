#pragma once

#include <string>
#include <string_view>

#include <voromel/model.h>
#include <voromel/result.h>
#include "header_format/parse_error.h"

// Lifting a document written before format 0.20 into the current layout: its
// single song was described by '@' lines above the first heading, and sounds
// could be one-line definitions ("lead: sine 1, attack 0.01").
namespace voromel::track {

// Converts the document in place. Answers whether there was anything to
// upgrade. On failure the document may be half converted; drop it.
voromel::Result<bool, header_format::ParseError> upgrade_pre_0_20(voromel::TrackDocument& document,
                                                                  std::string_view song_name);

// The sound body line for one entry of a one-line sound definition: a sound
// directive name gets its '@', anything else stays a harmonic line.
std::string sound_entry_line(std::string_view entry);

}  // namespace voromel::track
