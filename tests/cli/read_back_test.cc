#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/driver.h"
#include "tool_run.h"

namespace voromel::cli {
namespace {

using testing::TempDir;

// Formatter faults: one whose text reads back as a different document, one
// whose text does not parse at all.
Result<CanonicalText, Error> with_prefix(std::string_view text, std::string_view prefix) {
  auto form = canonical_text(text);
  if (!form) return form;
  CanonicalText& written = form.value();
  written.text.insert(0, written.same_as_input ? text : std::string_view());
  written.text.insert(0, prefix);
  written.same_as_input = false;
  return form;
}

Result<CanonicalText, Error> with_extra_leading_line(std::string_view text) {
  return with_prefix(text, "stray\n");
}

Result<CanonicalText, Error> with_orphan_heading(std::string_view text) {
  return with_prefix(text, "## orphan\n");
}

constexpr const char* scrambled = "# Songs\n## main\n@tempo 120\n# Meta\n@title Demo\n";
constexpr const char* pre_0_20 = "@tempo 100\n";

TEST(ReadBack, AFaultyFormatterWritesNothing) {
  struct Case {
    const char* name;
    Formatter format;
    bool upgrade;
    const char* text;
  } cases[] = {
      {"rewrite, reads back differently", with_extra_leading_line, false, scrambled},
      {"rewrite, does not parse", with_orphan_heading, false, scrambled},
      {"upgrade, reads back differently", with_extra_leading_line, true, pre_0_20},
      {"upgrade, does not parse", with_orphan_heading, true, pre_0_20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.write("a.track", c.text);
    const std::string path = (dir / "a.track").string();
    std::vector<std::string> args{path};
    if (c.upgrade) args.push_back("--upgrade");
    std::ostringstream err;
    EXPECT_EQ(run(args, err, c.format), 1);
    EXPECT_EQ(err.str(), "Refusing " + path +
                             ": internal error: the canonical form does not read back the same; "
                             "the file was left untouched\n");
    EXPECT_EQ(dir.read("a.track"), c.text);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.track"});
  }
}

TEST(ReadBack, TheSoundFormatterPassesInBothModes) {
  TempDir dir;
  dir.write("a.track", scrambled);
  dir.write("b.track", pre_0_20);
  const std::string a = (dir / "a.track").string();
  const std::string b = (dir / "b.track").string();
  std::ostringstream err;
  EXPECT_EQ(run(std::vector<std::string>{a}, err), 0);
  EXPECT_EQ(run(std::vector<std::string>{"--upgrade", b}, err), 0);
  EXPECT_EQ(err.str(), "Reformatted " + a + "\nUpgraded " + b + " to " +
                           (dir / "b_upgraded.track").string() + " as song 'b'\n");
}

// Zero-length segments cannot be written as they are (the first point of
// 'pitch 0 0, 0 0, ...' is dropped); the note moves once to the jump that
// such a curve stands for and then stays, in both modes.
TEST(ReadBack, AZeroLengthPitchSegmentSettlesInOneRewrite) {
  const std::string body = "# Motifs\n\n## x\n0 60 1\n  pitch 0 0, 0 0, 0 3\n";
  const std::string settled = "# Motifs\n\n## x\n0 60 1\n  pitch 0 3, 1 3 linear\n";
  testing::expect_rewritten_once(body, settled);
  TempDir dir;
  dir.write("a.track", "@tempo 100\n" + body);
  testing::expect_run(testing::run_tool(dir, {"--upgrade", "a.track"}), 0,
                      "Upgraded a.track to a_upgraded.track as song 'a'\n");
  EXPECT_EQ(dir.read("a_upgraded.track"), "# Songs\n\n## a\n@tempo 100\n\n" + settled);
}

// Positions that run far backwards lose digits to cancellation, and no
// text gives such a trajectory back; segments that cancel to a duration of
// 0 would be written as another movement. The note is refused at the line
// that sets its pitch movement.
TEST(ReadBack, APitchMovementNoTextGivesBackIsRefusedAtItsLine) {
  const std::string refusal =
      ": the pitch movement of this note cannot be written so that it reads back the same: use x "
      "values rising from 0 to 1, finite offsets and a duration above 0\n";
  const std::string backwards =
      "0 60 83.425\n  pitch 74 -.5e-1 linear, -0.00012896182 148433500607357091053568, 1.4e-45 "
      "-2.5931212e-36\n";
  const std::string cancelling = "0 60 1\n  pitch 0 0, 1e30 1, 1 0\n";
  struct Case {
    std::string text;
    int line;
  } cases[] = {
      {"# Motifs\n\n## x\n" + backwards, 5},
      {"# Layers\n\n## x\n\nlead " + backwards, 6},
      {"# Layers\n\n## x\ns " + cancelling, 5},
      {"# Motifs\n\n## x\n" + cancelling, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    testing::expect_refused(c.text, "Refusing a.track: line " + std::to_string(c.line) + refusal);
  }
}

}  // namespace
}  // namespace voromel::cli
