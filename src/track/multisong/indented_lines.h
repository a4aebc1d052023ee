#pragma once

#include <string_view>

#include "header_format/text.h"

// The indented lines of layer and motif bodies.
namespace voromel::track::multisong {

// Whether a trimmed line's first token names a note curve.
inline bool is_curve_line(std::string_view trimmed) {
  const std::string_view keyword = header_format::split_at_first_white_space(trimmed).first;
  return keyword == "pitch" || keyword == "volume";
}

}  // namespace voromel::track::multisong
