#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "voromel/voromel.h"

// Places in a text, from the views of it that the readers hand out.
namespace voromel {

// The bytes of `text` that `place` covers; nothing for a view of any other
// text.
inline std::optional<TextSpan> span_in(std::string_view text, std::string_view place) {
  const std::less<const char*> before;
  if (place.data() == nullptr || text.data() == nullptr || before(place.data(), text.data()) ||
      before(text.data() + text.size(), place.data() + place.size())) {
    return std::nullopt;
  }
  const auto begin = static_cast<std::size_t>(place.data() - text.data());
  return TextSpan{begin, begin + place.size()};
}

}  // namespace voromel
