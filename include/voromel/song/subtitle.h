#pragma once

#include <string>

namespace voromel::song {

// One timed line of text.
struct Subtitle {
  // Possibly empty; kept verbatim.
  std::string text;
  float beat = 0;

  friend bool operator==(const Subtitle&, const Subtitle&) = default;
};

}  // namespace voromel::song
