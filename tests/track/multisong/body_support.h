#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/track/section_test_support.h"

// Helpers for tests of block bodies.
namespace voromel::track::multisong::testing {

// The lines of a body given as one text, split at '\n'.
inline track::testing::BodyLines lines_of(std::string_view body) {
  return track::testing::BodyLines(body);
}

// Seeded choices for generated bodies.
class Picker {
 public:
  explicit Picker(unsigned seed) : random_(seed) {}

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  template <std::size_t n>
  std::string one_of(const char* const (&texts)[n]) {
    return texts[pick(static_cast<int>(n))];
  }

 private:
  std::mt19937 random_;
};

}  // namespace voromel::track::multisong::testing
