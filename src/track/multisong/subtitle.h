#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <voromel/blocks.h>
#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "track/parse_error.h"
#include "voromel/song/subtitle.h"

// Subtitle blocks: one "<beat> <text>" line per subtitle.
namespace voromel::track::multisong {

// Reads one trimmed, non-blank line: the beat, then the text (possibly empty).
LineResult<song::Subtitle> parse_subtitle_line(std::string_view line, std::size_t line_number);

// Appends the canonical line of one subtitle, without its line end.
void write_subtitle_line(std::string& out, const song::Subtitle& subtitle);

struct SubtitleSection {
  using Value = SubtitleTrack;
  static constexpr std::string_view title = "Subtitles";

  // Errors carry the line number within the block and are not moved to the
  // file line.
  static voromel::Result<SubtitleTrack, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  static void serialize(const SubtitleTrack& track, std::string& out);
};

}  // namespace voromel::track::multisong
