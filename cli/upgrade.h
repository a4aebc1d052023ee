#pragma once

#include <string>
#include <string_view>

#include "cli/file_steps.h"

namespace voromel::cli {

// The upgrade mode for one file: read, parse, lift a pre-0.20 document into
// the current layout and write it as a new file beside the input, never
// touching the input, once it reads back the same.
FileOutcome upgrade_file(const std::string& path, Formatter format);

// The song named after a file: its stem, each white-space character "_".
std::string song_name_for(std::string_view path);

// "dir/song.track" gives "dir/song_upgraded.track"; the stem keeps its
// white space.
std::string upgraded_path(std::string_view path);

}  // namespace voromel::cli
