#pragma once

#include <string>
#include <string_view>

namespace voromel::cli {

// The bytes as text, each maximal subpart of an ill-formed sequence replaced
// by one U+FFFD (so FF FE gives two, the truncated E2 82 one).
std::string lossy_utf8(std::string_view bytes);

// Each control character (U+0000-U+001F but tab, U+007F, U+0080-U+009F) as
// "\u{1b}": messages carry text from paths and files, and no file may send
// control sequences to the terminal. Expects valid UTF-8.
std::string escape_control_characters(std::string_view text);

}  // namespace voromel::cli
