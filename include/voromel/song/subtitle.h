#pragma once

#include <string>

namespace voromel::song {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// One timed line of text.
struct Subtitle {
  // Possibly empty; kept verbatim.
  std::string text;
  float beat = 0;

  friend bool operator==(const Subtitle&, const Subtitle&);
};

}  // namespace voromel::song
