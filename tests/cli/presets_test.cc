#include <gtest/gtest.h>

#include <string>

#include "tool_run.h"

namespace voromel::cli::testing {
namespace {

// One block under `title` run through the tool: the rewritten body, or the
// message. A meta section in front moves the block down the file.
std::string rewrite_block(const std::string& title, const std::string& body) {
  const std::string meta = "# Meta\n\n@title t\n\n";
  const std::string heading = "# " + title + "\n\n## b\n";
  TempDir dir;
  dir.write("preset.track", meta + heading + body);
  const ToolRun run = run_tool(dir, {"preset.track"});
  if (run.status != 0) return run.err;
  const std::string written = dir.read("preset.track");
  if (written.rfind(meta + heading, 0) != 0) return "unexpected: " + written;
  return written.substr(meta.size() + heading.size());
}

TEST(EndToEndPresets, WrittenBackCanonically) {
  struct Case {
    const char* title;
    const char* body;
    const char* written;
  } cases[] = {
      {"Snapshots", "volume 0.5\nenergy 1\n", "energy 1\nvolume 0.5\n"},
      {"Snapshots", "gain 1\ngain 2\n", "gain 2\n"},
      {"Snapshots", "gain -0\n", "gain -0\n"},
      {"Snapshots", "", ""},
      {"Subtitles", "8 Second line\n0 First line\n", "0 First line\n8 Second line\n"},
      {"Subtitles", "4.0\n", "4\n"},
      {"Subtitles", "-0 text\n", "0 text\n"},
      {"Subtitles", "4 c\n2 a\n2 b\n", "2 a\n2 b\n4 c\n"},
      {"Subtitles", "", ""},
      {"Reverb", "", "room_size 0.5\ndecay 0.7\nmix 0.4\npredelay 0.01\n"},
      {"Reverb", "mix 1.5\n", "room_size 0.5\ndecay 0.7\nmix 1\npredelay 0.01\n"},
      {"Reverb", "predelay -1\ndecay 2\nmix -0.5\n", "room_size 0.5\ndecay 1\nmix 0\npredelay 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.title) + ": " + c.body);
    EXPECT_EQ(rewrite_block(c.title, c.body), c.written);
  }
}

// These errors keep the line number within the block, without the file line.
TEST(EndToEndPresets, ErrorsNameTheLineWithinTheBlock) {
  struct Case {
    const char* title;
    const char* body;
    const char* err;
  } cases[] = {
      {"Snapshots", "a 1\n\ngain 1 2\n",
       "Parsing preset.track: line 3: invalid snapshot value '1 2'\n"},
      {"Snapshots", "gain\n",
       "Parsing preset.track: line 1: snapshot entry needs '<param> <value>'\n"},
      {"Subtitles", "0 a\ntwelve Hello\n",
       "Parsing preset.track: line 2: invalid number for subtitle beat: 'twelve'\n"},
      {"Reverb", "room_size\n", "Parsing preset.track: line 1: invalid reverb value ''\n"},
      {"Reverb", "mix 0.5\nsize 0.5\n",
       "Parsing preset.track: line 2: unknown reverb key 'size'\n"},
      {"Reverb", "size x\n", "Parsing preset.track: line 1: invalid reverb value 'x'\n"},
      {"Reverb", "Mix 0.3\n", "Parsing preset.track: line 1: unknown reverb key 'Mix'\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.title) + ": " + c.body);
    EXPECT_EQ(rewrite_block(c.title, c.body), c.err);
  }
}

}  // namespace
}  // namespace voromel::cli::testing
