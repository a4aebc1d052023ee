#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "cli/file_steps.h"

namespace voromel::cli {

inline constexpr std::string_view usage_text =
    "Usage: voromel [--upgrade] <file.track>\u2026\n"
    "  default: rewrites each file in canonical format\n"
    "  --upgrade: lifts a pre-0.20 song header into a '# Songs' block, writing "
    "<name>_upgraded.track and leaving the original alone\n";

// Runs the tool on the arguments (without the program name), writing every
// message to `err`; returns the exit status. Only tests pass a formatter.
int run(std::span<const std::string> args, std::ostream& err,
        Formatter format = voromel::canonical_text);

}  // namespace voromel::cli
