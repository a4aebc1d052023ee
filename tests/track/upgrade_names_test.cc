#include "track/upgrade_names.h"

#include <gtest/gtest.h>

namespace voromel::track {
namespace {

TEST(UpgradeNames, FinalPathName) {
  struct Case {
    const char* path;
    const char* name;
  } cases[] = {
      {"song.track", "song.track"},
      {"dir/song.track", "song.track"},
      {"/a/b/c", "c"},
      {"dir/", "dir"},
      {"dir/.", "dir"},
      {"a/..", ""},
      {"", ""},
      {"/", ""},
      {".", ""},
      {".track", ".track"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(final_path_name(c.path), c.name);
  }
}

TEST(UpgradeNames, SplitFileName) {
  struct Case {
    const char* name;
    const char* stem;
    bool has_extension;
    const char* extension;
  } cases[] = {
      {"song.track", "song", true, "track"}, {"a.b.track", "a.b", true, "track"},
      {"notes", "notes", false, ""},         {".track", ".track", false, ""},
      {"song.", "song", true, ""},           {"..x", ".", true, "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StemAndExtension split = split_file_name(c.name);
    EXPECT_EQ(split.stem, c.stem);
    EXPECT_EQ(split.has_extension, c.has_extension);
    EXPECT_EQ(split.extension, c.extension);
  }
}

TEST(UpgradeNames, FileStemTarget) {
  struct Case {
    const char* target;
    const char* stem;
  } cases[] = {
      {"songs/intro.track", "intro"}, {"intro", "intro"},       {"chorus.track", "chorus"},
      {"../up.track", "up"},          {"songs/..", "songs/.."}, {".hidden", ".hidden"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    EXPECT_EQ(file_stem_target(c.target), c.stem);
  }
}

}  // namespace
}  // namespace voromel::track
