#include "cli/upgrade.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tool_run.h"

namespace voromel::cli {
namespace {

namespace fs = std::filesystem;
using testing::run_tool;
using testing::TempDir;

TEST(UpgradeNames, SongNameAndOutputPath) {
  struct Case {
    const char* path;
    const char* song;
    const char* output;
  } cases[] = {
      {"song.track", "song", "song_upgraded.track"},
      {"my song.track", "my_song", "my song_upgraded.track"},
      {"a  b.track", "a__b", "a  b_upgraded.track"},
      {"dir/a.b.track", "a.b", "dir/a.b_upgraded.track"},
      {"notes", "notes", "notes_upgraded"},
      {"song.", "song", "song_upgraded."},
      {".track", ".track", ".track_upgraded"},
      {"/x/y\u00a0z.track", "y_z", "/x/y\u00a0z_upgraded.track"},
      {"bad\xff.track", "bad\uFFFD", "bad\uFFFD_upgraded.track"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(song_name_for(c.path), c.song);
    EXPECT_EQ(upgraded_path(c.path), c.output);
  }
}

constexpr const char* old_document =
    "@tempo 90 120\n"
    "@marker 16 chorus\n"
    "@jump-at 32 songs/outro.track\n"
    "\n"
    "# Layers\n"
    "## drums\n"
    "kick 0 36 1\n"
    "\n"
    "# Sounds\n"
    "kick: sine 1, decay 0.2\n";

constexpr const char* upgraded_document =
    "# Songs\n"
    "\n"
    "## old_song\n"
    "@tempo 90 120\n"
    "@layer drums\n"
    "@marker 16 chorus\n"
    "@jump-at 32 outro\n"
    "\n"
    "# Layers\n"
    "\n"
    "## drums\n"
    "kick 0 36 1\n"
    "\n"
    "# Sounds\n"
    "\n"
    "## kick\n"
    "sine 1\n"
    "@decay 0.2\n";

TEST(UpgradeCommand, WritesTheUpgradedCopyAndRefusesToOverwriteIt) {
  TempDir dir;
  dir.write("old song.track", old_document);
  const auto first = run_tool(dir, {"--upgrade", "old song.track"});
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.err, "Upgraded old song.track to old song_upgraded.track as song 'old_song'\n");
  EXPECT_EQ(first.out, "");
  EXPECT_EQ(dir.read("old song_upgraded.track"), upgraded_document);
  EXPECT_EQ(dir.read("old song.track"), old_document);

  const auto second = run_tool(dir, {"old song.track", "--upgrade"});
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(second.err, "Refusing to overwrite old song_upgraded.track\n");
  EXPECT_EQ(dir.read("old song_upgraded.track"), upgraded_document);
}

TEST(UpgradeCommand, RefusesADanglingSymbolicLinkAtTheOutput) {
  TempDir dir;
  dir.write("old.track", old_document);
  ASSERT_EQ(::symlink((dir / "elsewhere.track").c_str(), (dir / "old_upgraded.track").c_str()), 0);
  const auto run = run_tool(dir, {"--upgrade", "old.track"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Refusing to overwrite old_upgraded.track\n");
  EXPECT_FALSE(fs::exists(dir / "elsewhere.track"));
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"old.track", "old_upgraded.track"}));
}

TEST(UpgradeCommand, NothingToUpgradeIsNoFailure) {
  TempDir dir;
  dir.write("a.track", old_document);
  dir.write("current.track", "# Songs\n\n## main\n@tempo 120\n");
  dir.write("b.track", "@tempo 100\n");
  const auto run = run_tool(dir, {"--upgrade", "a.track", "current.track", "b.track"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "Upgraded a.track to a_upgraded.track as song 'a'\n"
            "Already a '# Songs' document: current.track\n"
            "Upgraded b.track to b_upgraded.track as song 'b'\n");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.track", "a_upgraded.track", "b.track",
                                                     "b_upgraded.track", "current.track"}));
}

// With song blocks already there only the one-line sounds are converted: no
// song is added, yet the copy is written and the report names the song.
TEST(UpgradeCommand, OnlySoundsToConvertStillWritesTheCopy) {
  TempDir dir;
  dir.write("a b.track", "@tempo 80\n# Songs\n## main\n# Sounds\nlead: sine 440, attack 0.01\n");
  const auto run = run_tool(dir, {"--upgrade", "a b.track"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "Upgraded a b.track to a b_upgraded.track as song 'a_b'\n");
  EXPECT_EQ(dir.read("a b_upgraded.track"),
            "@tempo 80\n\n# Songs\n\n## main\n@tempo 120\n\n"
            "# Sounds\n\n## lead\nsine 440\n@attack 0.01\n");
}

TEST(UpgradeCommand, FailuresStopTheRun) {
  TempDir dir;
  dir.write("bad.track", "@tempo fast\n");
  dir.write("later.track", "@tempo 100\n");
  const auto run = run_tool(dir, {"--upgrade", "bad.track", "later.track"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Upgrading bad.track: line 1: invalid number for tempo: 'fast'\n");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"bad.track", "later.track"}));
}

TEST(UpgradeCommand, CopyKeepsThePermissionBitsOfAPrivateInput) {
  TempDir dir;
  dir.write("private.track", "@tempo 100\n");
  ASSERT_EQ(::chmod((dir / "private.track").c_str(), 0600), 0);
  const auto run = run_tool(dir, {"--upgrade", "private.track"});
  ASSERT_EQ(run.status, 0) << run.err;
  struct stat info {};
  ASSERT_EQ(::stat((dir / "private_upgraded.track").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(UpgradeCommand, WriteFailureRemovesThePartialCopy) {
  TempDir dir;
  std::string big = "@tempo 100\n";
  for (int i = 0; i < 2000; ++i)
    big += "@marker " + std::to_string(i) + " m" + std::to_string(i) + "\n";
  dir.write("big.track", big);
  const auto run = run_tool(dir, {"--upgrade", "big.track"}, 1024);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Writing big_upgraded.track: File too large (os error 27)\n");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"big.track"}));
}

// The copy must not lose text either: sub-blocks that nothing reads and all
// but the last "# Meta" are refused as in the default mode. Text before a
// first block is written back as it is, and with nothing to upgrade nothing
// is written, whatever the file holds.
TEST(UpgradeCommand, RefusesWhatTheCopyWouldLose) {
  struct Case {
    const char* name;
    const char* text;
    int status;
    const char* err;
    const char* upgraded;  // nullptr: no copy is written
  } cases[] = {
      {"text before a first block", "@tempo 90\n# Layers\nstray text\n## bass\n", 0,
       "Upgraded a.track to a_upgraded.track as song 'a'\n",
       "# Songs\n\n## a\n@tempo 90\n@layer bass\n\n# Layers\n\nstray text\n\n## bass\n"},
      {"sub-block in a layer", "@tempo 90\n# Layers\n## bass\n### verse\nx\n", 1,
       "Refusing a.track: '### verse' sits inside '## bass' of '# Layers', where nothing reads "
       "it: move its lines into the block or into a '## <name>' block of its own\n",
       nullptr},
      {"sub-block in the tags", "@tempo 90\n# Meta\n## Tags\nt\n### more\n", 1,
       "Refusing a.track: '### more' sits inside '## Tags' of '# Meta', where nothing reads it: "
       "move its lines into the block\n",
       nullptr},
      {"repeated meta", "@tempo 90\n# Meta\n@title A\n# Meta\n@title B\n", 1,
       "Refusing a.track: '# Meta' appears 2 times and only the last would be kept: merge them "
       "into one '# Meta' section\n",
       nullptr},
      {"only sounds to convert", "# Songs\n## main\n### x\n# Sounds\nlead: sine 1\n", 1,
       "Refusing a.track: '### x' sits inside '## main' of '# Songs', where nothing reads it: "
       "move its lines into the block or into a '## <name>' block of its own\n",
       nullptr},
      {"byte-order mark", "\uFEFF@tempo 90\n# Meta\n@title T\n", 0,
       "Upgraded a.track to a_upgraded.track as song 'a'\n",
       "\uFEFF# Meta\n\n@title T\n\n# Songs\n\n## a\n@tempo 90\n"},
      {"nothing to upgrade", "# Songs\n## main\n### x\n# Meta\n# Meta\n", 0,
       "Already a '# Songs' document: a.track\n", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.write("a.track", c.text);
    testing::expect_run(run_tool(dir, {"--upgrade", "a.track"}), c.status, c.err);
    EXPECT_EQ(dir.read("a.track"), c.text);
    if (c.upgraded) {
      EXPECT_EQ(dir.read("a_upgraded.track"), c.upgraded);
    } else {
      EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.track"});
    }
  }
}

}  // namespace
}  // namespace voromel::cli
