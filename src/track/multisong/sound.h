#pragma once

#include <span>
#include <string>
#include <string_view>

#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "voromel/song/sound.h"

namespace voromel::track::multisong {

// The "# Sounds" section: one sound per "## <name>" block.
struct SoundSection {
  using Value = song::Sound;
  static constexpr std::string_view title = "Sounds";

  static voromel::Result<song::Sound, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  static void serialize(const song::Sound& sound, std::string& out);
};

}  // namespace voromel::track::multisong
