#include <gtest/gtest.h>

#include <string>

#include "tool_run.h"

namespace voromel::cli::testing {
namespace {

TEST(EndToEndSongs, RewrittenCanonicallyOnce) {
  expect_rewritten_once(
      "# Songs\n"
      "## main\n"
      "@layer drums\n"
      "@tempo 90 100\n"
      "@marker 16 chorus\n"
      "@marker 0 intro\n"
      "@jump-at chorus intro 4 tempo *1.5 via fill sound crash if plays < 3\n"
      "@param energy\n"
      "@signature 4 4\n",
      "# Songs\n"
      "\n"
      "## main\n"
      "@tempo 90 100\n"
      "@param energy 0\n"
      "@layer drums\n"
      "@marker 0 intro\n"
      "@marker 16 chorus\n"
      "@jump-at chorus intro 4 tempo \u00d71.5 via fill sound crash if plays < 3\n",
      "song.track");
}

// The body of one song block run through the tool: the rewritten body, or
// the message.
std::string rewrite_song(const std::string& body) {
  const std::string heading = "# Songs\n\n## main\n";
  TempDir dir;
  dir.write("song.track", heading + body);
  const ToolRun run = run_tool(dir, {"song.track"});
  if (run.status != 0) return run.err;
  const std::string written = dir.read("song.track");
  if (written.rfind(heading, 0) != 0) return "unexpected: " + written;
  return written.substr(heading.size());
}

TEST(EndToEndSongs, DirectivesAndJumpClauses) {
  struct Case {
    const char* body;
    const char* written;
  } cases[] = {
      {"", "@tempo 120\n"},
      {"@tempo 120 120\n@signature 4 4\n", "@tempo 120\n"},
      {"@tempo 0 140\n", "@tempo 0\n"},
      {"@tempo -5 x\n", "@tempo -5\n"},
      {"@tempo 100 150\n", "@tempo 100 150\n"},
      {"@tempo param speed 1\n", "@tempo param speed\n"},
      {"@tempo param speed\n@tempo 100\n", "@tempo 100\n"},
      {"@signature 3\n", "@tempo 120\n@signature 3 4\n"},
      {"@seed +7\n", "@tempo 120\n@seed 7\n"},
      {"@param b 1\n@param a 2\n@param b 3\n", "@tempo 120\n@param a 2\n@param b 3\n"},
      {"@layer\n", "@tempo 120\n@layer \n"},
      {"@marker 8 c\n@marker 4 a\n@marker 4 b\n",
       "@tempo 120\n@marker 4 a\n@marker 4 b\n@marker 8 c\n"},
      {"@jump-at 12.5 intro\n@jump-at chorus intro\n",
       "@tempo 120\n@jump-at 12.5 intro\n@jump-at chorus intro\n"},
      {"@jump chorus 0\n", "@tempo 120\n@jump chorus\n"},
      {"@jump chorus 4 tempo *1.5 via fill sound crash if plays < 3\n",
       "@tempo 120\n@jump chorus 4 tempo \u00d71.5 via fill sound crash if plays < 3\n"},
      {"@jump-at 32 outro if energy >= 0.75\n",
       "@tempo 120\n@jump-at 32 outro if energy >= 0.75\n"},
      {"@jump a tempo \u00d72 if plays >= +2\n",
       "@tempo 120\n@jump a tempo \u00d72 if plays >= 2\n"},
      {"@jump a if plays > 16777217\n", "@tempo 120\n@jump a if plays > 16777216\n"},
      {"@tempo 90 @signature 3\n",
       "Parsing song.track: line 1: invalid number for end tempo: '@signature'\n"},
      {"@tempo 9\ntempo 120\n",
       "Parsing song.track: line 2: expected an '@' directive, got 'tempo'\n"},
      {"@\n", "Parsing song.track: line 1: unknown global directive ''\n"},
      {"@seed 1 2\n", "Parsing song.track: line 1: invalid seed '1 2'\n"},
      {"@marker 4 12\n",
       "Parsing song.track: line 1: marker name '12' is a number, which a jump target could not "
       "tell apart from a beat\n"},
      {"@jump-at 4 x fast\n",
       "Parsing song.track: line 1: invalid number for jump-at skip: 'fast'\n"},
      {"@jump a tempo x2\n", "Parsing song.track: line 1: invalid number for jump tempo: 'x2'\n"},
      {"@jump a via fill with crash\n",
       "Parsing song.track: line 1: expected 'sound', got 'with'\n"},
      {"@jump a 4 5\n", "Parsing song.track: line 1: expected 'if', got '5'\n"},
      {"@jump a if plays = 2\n", "Parsing song.track: line 1: unknown comparison '='\n"},
      {"@jump a if random < 0.5 now\n",
       "Parsing song.track: line 1: extra tokens after condition\n"},
      {"@import x\n",
       "Parsing song.track: line 1: '@import' belongs in the document header, not inside a "
       "song\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(rewrite_song(c.body), c.written);
  }
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
    expect_refused(c.text, c.err, "bad.track");
  }
}

}  // namespace
}  // namespace voromel::cli::testing
