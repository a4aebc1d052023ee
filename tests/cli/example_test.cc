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

constexpr const char* untidy_all_sections = R"(@import shared.track

# Reverb
## hall
mix 1.5
room_size 0.8

# Snapshots
## calm
volume 0.5
energy 1

# Subtitles
## intro
8 Second line
0.0 First line

# Motifs
## riff
0 60 0.5
0.5 62 0.5 volume 0.8
1 64 1 glide -2
  volume 0 1, 0.5 0.2, 1 0 linear

# Waves
## saw
0 0
0.5 1 linear
1 0 ease

# Tunings
## just
1 9/8 5/4 3/2
period 2/1
## et
equal 12

# Sounds
## lead
@attack 0.01 ease
@volume 0.8
sine 1
octave 0.5
@vibrato 5 0.3 sine
## kick
@sample "kick.wav" @0..64
@decay 0.2

# Layers
## melody
@pan -0.25 @volume 0.5
@effect echo 0.25 0.4 0.3 @effect reverb hall
lead 4 62 1.5 volume 0.8 glide 2 ease-out
lead 0.0 60.50 1e0
motif riff 8 lead
## drums
kick 0 36 1 repeat 4

# Songs
## main
@layer melody
@layer drums
@tempo 90 120
@marker 16 chorus
@marker 0 intro
@param energy
@jump-at chorus intro if energy >= 0.75

# Meta
@title All sections
@author Someone
## Tags
demo

# Notes
free text kept as is
## ideas

more strings
### nested
deep
)";

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

// A document with every section kind, in canonical form, is left alone; the
// same content out of order and untidy is rewritten into exactly that text.
TEST(Example, EverySectionKindRoundTrips) {
  const std::string canonical = read_example("all_sections.track");
  ASSERT_FALSE(canonical.empty());
  TempDir dir;
  dir.write("canonical.track", canonical);
  dir.write("untidy.track", untidy_all_sections);
  const ToolRun run = run_tool(dir, {"canonical.track", "untidy.track"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "Reformatted untidy.track\n");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(dir.read("canonical.track"), canonical);
  EXPECT_EQ(dir.read("untidy.track"), canonical);
}

}  // namespace
}  // namespace voromel::cli::testing
