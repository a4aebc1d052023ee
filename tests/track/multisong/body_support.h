#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// Helpers for tests of block bodies.
namespace voromel::track::multisong::testing {

// The lines of a body given as one text, split at '\n'.
inline std::vector<std::string> lines_of(std::string_view body) {
  std::vector<std::string> lines;
  while (!body.empty()) {
    const std::size_t end = body.find('\n');
    lines.emplace_back(body.substr(0, end));
    if (end == std::string_view::npos) break;
    body.remove_prefix(end + 1);
  }
  return lines;
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
