#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tool_run.h"

namespace voromel::cli::testing {
namespace {

std::string read_example(const std::string& name) {
  std::ifstream in(std::filesystem::path(VOROMEL_SOURCE_DIR) / "examples" / name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The example the README shows, before and after.
TEST(Example, DemoIsReformattedOnceAndThenLeftAlone) {
  const std::string original = read_example("demo.track");
  ASSERT_FALSE(original.empty());
  TempDir dir;
  dir.write("demo.track", original);
  const ToolRun first = run_tool(dir, {"demo.track"});
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.err, "Reformatted demo.track\n");
  EXPECT_EQ(dir.read("demo.track"),
            "# Meta\n\n@title Demo\n\n"
            "# Songs\n\n## main\n@tempo 120\n@layer bass\n\n"
            "# Layers\n\n## bass\n@volume 0.8\nbass 0 36 1\n\n"
            "# Sounds\n\n## bass\nsine 1\n@attack 0.01\n");
  const ToolRun second = run_tool(dir, {"demo.track"});
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.err, "");
}

}  // namespace
}  // namespace voromel::cli::testing
