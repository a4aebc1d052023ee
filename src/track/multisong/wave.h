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
#include "voromel/song/wave_point.h"

// Wave blocks: a wave shape given vertex by vertex, one "<x> <y> [curve]"
// line each.
namespace voromel::track::multisong {

// What writing a document block by block carries from block to block.
struct WriteMemo;

// Reads one trimmed, non-blank vertex line that follows `previous` (null for
// the first vertex).
LineResult<song::WavePoint> parse_wave_point(const song::WavePoint* previous, std::string_view line,
                                             std::size_t line_number);

struct WaveSection {
  using Value = Wave;
  static constexpr std::string_view title = "Waves";

  // Errors are placed at their line, so the file line number goes in front
  // of the line number within the block.
  static voromel::Result<Wave, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  static void serialize(const Wave& wave, std::string& out);
  // Reads a body and writes it in canonical form, vertex by vertex: what
  // `parse` and then `serialize` do.
  static constexpr bool writes_as_read = true;
  static voromel::Result<voromel::Ok, header_format::ParseError> write(
      std::span<const std::string_view> lines, std::string& out, WriteMemo& memo);
};

}  // namespace voromel::track::multisong
