#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fixed_point.h"
#include "fuzz/model.h"

namespace voromel::fuzz {
namespace {

// Every input the fuzz target once failed on keeps the property it checks.
// Findings not mended yet wait in fuzz/pending/, which is not replayed.
// Replays every input of `folder` through `fault_of`.
template <class FaultOf>
void replay(const char* folder, FaultOf fault_of) {
  std::size_t replayed = 0;
  const auto path = std::filesystem::path(VOROMEL_SOURCE_DIR) / folder;
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    const auto fault = fault_of(text);
    EXPECT_FALSE(fault) << fault->what << "\n" << fault->one << "\n---\n" << fault->other;
    ++replayed;
  }
  EXPECT_GT(replayed, 0u);
}

TEST(FuzzRegressions, EveryFindingKeepsTheProperty) {
  replay("fuzz/regressions", [](const std::string& text) { return fixed_point_fault(text); });
}

TEST(FuzzRegressions, EveryModelFindingKeepsTheProperty) {
  replay("fuzz/model_regressions", [](const std::string& bytes) { return model_fault(bytes); });
}

}  // namespace
}  // namespace voromel::fuzz
