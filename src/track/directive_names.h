#pragma once

// The names of the directives each section grammar of the track format
// accepts (without their '@'), and of the reverb preset keys, read from the
// tables the parsers look names up in. The test of voromel-track(5) checks
// that the page names every one (meta_directive_names() in
// header_format/meta.h gives those of '# Meta').

#include <string_view>
#include <vector>

namespace voromel::track::multisong {
std::vector<std::string_view> song_directive_names();
std::vector<std::string_view> layer_directive_names();
std::vector<std::string_view> reverb_setting_names();
}  // namespace voromel::track::multisong

namespace voromel::track::format {
std::vector<std::string_view> sound_directive_names();
}  // namespace voromel::track::format
