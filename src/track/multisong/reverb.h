#pragma once

#include <span>
#include <string>
#include <string_view>

#include <voromel/blocks.h>
#include <voromel/result.h>
#include "header_format/parse_error.h"

// Reverb blocks: "<key> <value>" lines setting the four reverb settings.
namespace voromel::track::multisong {

struct ReverbSection {
  using Value = ReverbPreset;
  static constexpr std::string_view title = "Reverb";

  // Errors carry the line number within the block and are not moved to the
  // file line.
  static voromel::Result<ReverbPreset, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  // Writes all four settings, defaults included.
  static void serialize(const ReverbPreset& preset, std::string& out);
};

}  // namespace voromel::track::multisong
