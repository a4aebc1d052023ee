#include <gtest/gtest.h>

#include <string>

#include "tool_run.h"

namespace voromel::cli::testing {
namespace {

TEST(EndToEndSongs, RewrittenCanonicallyOnce) {
  TempDir dir;
  dir.write("song.track",
            "# Songs\n"
            "## main\n"
            "@layer drums\n"
            "@tempo 90 100\n"
            "@marker 16 chorus\n"
            "@marker 0 intro\n"
            "@jump-at chorus intro 4 tempo *1.5 via fill sound crash if plays < 3\n"
            "@param energy\n"
            "@signature 4 4\n");
  const std::string canonical =
      "# Songs\n"
      "\n"
      "## main\n"
      "@tempo 90 100\n"
      "@param energy 0\n"
      "@layer drums\n"
      "@marker 0 intro\n"
      "@marker 16 chorus\n"
      "@jump-at chorus intro 4 tempo \u00d71.5 via fill sound crash if plays < 3\n";
  ToolRun run = run_tool(dir, {"song.track"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "Reformatted song.track\n");
  EXPECT_EQ(dir.read("song.track"), canonical);

  run = run_tool(dir, {"song.track"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(dir.read("song.track"), canonical);
}

TEST(EndToEndSongs, ParseErrorsNameTheLineWithinTheBlock) {
  struct Case {
    const char* text;
    const char* err;
  } cases[] = {
      {"# Meta\n@title t\n\n# Songs\n## main\n@tempo 90\n\n@temp 1\n",
       "Parsing bad.track: line 3: unknown global directive 'temp'\n"},
      {"# Songs\n## a\n@tempo 90\n## b\n@jump-at 4 x fast\n",
       "Parsing bad.track: line 1: invalid number for jump-at skip: 'fast'\n"},
      {"# Songs\n## a\n@marker 1 m\n@marker 2 m\n",
       "Parsing bad.track: line 2: marker 'm' is defined twice in this song\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TempDir dir;
    dir.write("bad.track", c.text);
    const ToolRun run = run_tool(dir, {"bad.track"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.read("bad.track"), c.text);
  }
}

}  // namespace
}  // namespace voromel::cli::testing
