#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "track/parse_error.h"
#include "voromel/song/wave_point.h"

// The text of a point list: "<x> <y> [curve]" per point, points joined by
// commas ("0 0, 0.5 2 ease-in, 1 0 linear").
namespace voromel::track::format {

LineResult<std::vector<song::WavePoint>> parse_wave_points(std::string_view text,
                                                           std::size_t line_number);

void append_curve_points(std::string& out, const std::vector<song::WavePoint>& points);
std::string format_curve_points(const std::vector<song::WavePoint>& points);

}  // namespace voromel::track::format
