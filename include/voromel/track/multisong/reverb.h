#pragma once

#include <span>
#include <string>
#include <string_view>

#include <voromel/header_format/parse_error.h>
#include <voromel/header_format/result.h>

// Reverb blocks: "<key> <value>" lines setting the four reverb settings.
namespace voromel::track::multisong {

struct ReverbPreset {
  // 0 to 1.
  float room_size = 0.5f;
  // 0 to 1.
  float decay = 0.7f;
  // 0 to 1.
  float mix = 0.4f;
  // 0 or more.
  float predelay = 0.01f;

  friend bool operator==(const ReverbPreset&, const ReverbPreset&) = default;
};

struct ReverbSection {
  using Value = ReverbPreset;
  static constexpr std::string_view title = "Reverb";

  // Errors carry the line number within the block and are not moved to the
  // file line.
  static header_format::Result<ReverbPreset, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  // Writes all four settings, defaults included.
  static void serialize(const ReverbPreset& preset, std::string& out);
};

}  // namespace voromel::track::multisong
