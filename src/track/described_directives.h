#pragma once

// The directive tables of the kinds of block that take settings, described
// for callers of the library (voromel/directives.h) as settings of the
// section titled `section`: each in the order its writer writes them, with
// the defaults of the model's initialisers.

#include <string_view>
#include <vector>

#include "voromel/directives.h"

namespace voromel::track::multisong {
std::vector<Directive> song_directives_described(std::string_view section);
std::vector<Directive> layer_directives_described(std::string_view section);
std::vector<Directive> reverb_settings_described(std::string_view section);
}  // namespace voromel::track::multisong

namespace voromel::track::format {
std::vector<Directive> sound_directives_described(std::string_view section);
}  // namespace voromel::track::format
