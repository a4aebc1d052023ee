#pragma once

#include <string>

#include "cli/file_steps.h"

namespace voromel::cli {

// The default mode for one file: read, parse, refuse text that a rewrite
// would lose or that nothing reads, and write the canonical text back when it
// differs ("Reformatted {}") and reads back the same.
FileOutcome rewrite_file(const std::string& path, Formatter format);

}  // namespace voromel::cli
