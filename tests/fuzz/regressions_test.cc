#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fixed_point.h"

namespace voromel::fuzz {
namespace {

// Every input the fuzz target once failed on keeps the property it checks.
// Findings not mended yet wait in fuzz/pending/, which is not replayed.
TEST(FuzzRegressions, EveryFindingKeepsTheProperty) {
  const std::filesystem::path folder =
      std::filesystem::path(VOROMEL_SOURCE_DIR) / "fuzz/regressions";
  std::size_t replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    const auto fault = fixed_point_fault(text);
    EXPECT_FALSE(fault) << fault->what << "\n" << fault->one << "\n---\n" << fault->other;
    ++replayed;
  }
  EXPECT_GT(replayed, 0u);
}

}  // namespace
}  // namespace voromel::fuzz
