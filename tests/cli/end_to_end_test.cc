#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tool_run.h"

namespace voromel::cli::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* canonical =
    "# Meta\n"
    "\n"
    "@title Demo\n"
    "\n"
    "# Songs\n"
    "\n"
    "## main\n"
    "@tempo 120\n";

constexpr const char* scrambled =
    "# Songs\n"
    "## main\n"
    "@tempo 120\n"
    "# Meta\n"
    "@title Demo\n";

struct stat status_of(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0);
  return info;
}

TEST(EndToEnd, WithoutFilesPrintsTheUsage) {
  TempDir dir;
  expect_run(run_tool(dir, {"--upgrade"}), 1,
             "Usage: voromel [--upgrade] <file.track>\u2026\n"
             "  default: rewrites each file in canonical format\n"
             "  --upgrade: lifts a pre-0.20 song header into a '# Songs' block, writing "
             "<name>_upgraded.track and leaving the original alone\n");
}

TEST(EndToEnd, ReadingFailures) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.track").c_str(), 0644), 0);
  fs::create_directory(dir / "folder.track");
  dir.write("latin1.track", "# Meta\n@title Caf\xe9\n");
  dir.write("bad\xff\xfe\xe2\x82.track", "\xff");
  struct Case {
    const char* name;
    const char* err;
  } cases[] = {
      {"--help", "Reading --help: No such file or directory (os error 2)\n"},
      {"folder.track", "Reading folder.track: Is a directory (os error 21)\n"},
      {"pipe.track", "Reading pipe.track: not a regular file\n"},
      {"/dev/null", "Reading /dev/null: not a regular file\n"},
      {"latin1.track", "Reading latin1.track: stream did not contain valid UTF-8\n"},
      {"bad\xff\xfe\xe2\x82.track",
       "Reading bad\uFFFD\uFFFD\uFFFD.track: stream did not contain valid UTF-8\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expect_run(run_tool(dir, {c.name}), 1, c.err);
  }
}

TEST(EndToEnd, SocketIsNotARegularFile) {
  TempDir dir;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = (dir / "socket.track").string();
  ASSERT_LT(path.size(), sizeof address.sun_path);
  path.copy(address.sun_path, path.size());
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  expect_run(run_tool(dir, {"socket.track"}), 1, "Reading socket.track: not a regular file\n");
  ::close(fd);
}

TEST(EndToEnd, ParseFailureStopsTheRun) {
  TempDir dir;
  dir.write("a.track", scrambled);
  dir.write("b.track", "text\n## orphan\n");
  dir.write("c.track", scrambled);
  expect_run(run_tool(dir, {"a.track", "b.track", "c.track"}), 1,
             "Reformatted a.track\n"
             "Parsing b.track: subheader without an enclosing header\n");
  EXPECT_EQ(dir.read("a.track"), canonical);
  EXPECT_EQ(dir.read("b.track"), "text\n## orphan\n");
  EXPECT_EQ(dir.read("c.track"), scrambled);
}

TEST(EndToEnd, ParseErrorsCarryFileLinesAndEscapedText) {
  TempDir dir;
  dir.write("a.track", "# Meta\n@title\x1b[2J\n");
  expect_run(run_tool(dir, {"a.track"}), 1,
             "Parsing a.track: meta '@title\\u{1b}[2J' needs a value\n");
}

TEST(EndToEnd, CanonicalFileIsNotWritten) {
  TempDir dir;
  dir.write("a.track", canonical);
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "a.track").c_str(), times, 0), 0);
  const ino_t inode = status_of(dir / "a.track").st_ino;
  expect_run(run_tool(dir, {"a.track", "a.track"}), 0, "");
  EXPECT_EQ(status_of(dir / "a.track").st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(status_of(dir / "a.track").st_ino, inode);
  EXPECT_EQ(dir.read("a.track"), canonical);
}

TEST(EndToEnd, CarriageReturnsAreRemoved) {
  TempDir dir;
  dir.write("a.track", "# Meta\r\n\r\n@title Demo\r\r\n\r\n# Songs\r\n\r\n## main\r\n@tempo 120\r");
  expect_run(run_tool(dir, {"a.track"}), 0, "Reformatted a.track\n");
  EXPECT_EQ(dir.read("a.track"), canonical);
  expect_run(run_tool(dir, {"a.track"}), 0, "");
}

TEST(EndToEnd, RewritesThroughASymbolicLink) {
  TempDir dir;
  fs::create_directory(dir / "real");
  dir.write("real/a.track", scrambled);
  fs::create_symlink("real/a.track", dir / "link.track");
  expect_run(run_tool(dir, {"link.track"}), 0, "Reformatted link.track\n");
  EXPECT_TRUE(fs::is_symlink(dir / "link.track"));
  EXPECT_EQ(fs::read_symlink(dir / "link.track"), "real/a.track");
  EXPECT_EQ(dir.read("real/a.track"), canonical);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"link.track", "real"}));
}

TEST(EndToEnd, KeepsPermissionBits) {
  TempDir dir;
  std::vector<mode_t> modes = {0640, 0604, 0755, 02711};
  // The superuser may write any file, as usual.
  if (::geteuid() == 0) modes.push_back(0444);
  for (const mode_t mode : modes) {
    SCOPED_TRACE(mode);
    dir.write("a.track", scrambled);
    ASSERT_EQ(::chmod((dir / "a.track").c_str(), mode), 0);
    expect_run(run_tool(dir, {"a.track"}), 0, "Reformatted a.track\n");
    EXPECT_EQ(status_of(dir / "a.track").st_mode & 07777, mode);
    EXPECT_EQ(dir.read("a.track"), canonical);
  }
}

// Replacing a file takes only a writable directory; a file its user may not
// write must still be left alone. An upgrade never writes its input.
TEST(EndToEnd, LeavesAFileItsUserMayNotWrite) {
  const std::optional<uid_t> user = ordinary_user();
  if (!user) GTEST_SKIP() << "cannot run the tool as a user other than the superuser";
  struct Case {
    const char* name;
    mode_t mode;
    const char* text;
    std::vector<std::string> args;
    int status;
    const char* err;
    const char* after;
    std::vector<std::string> entries;
  } cases[] = {
      {"read-only",
       0444,
       scrambled,
       {"a.track"},
       1,
       "Writing a.track: Permission denied (os error 13)\n",
       scrambled,
       {"a.track", "link.track"}},
      {"read-only through a link",
       0444,
       scrambled,
       {"link.track"},
       1,
       "Writing link.track: Permission denied (os error 13)\n",
       scrambled,
       {"a.track", "link.track"}},
      {"read-only and canonical",
       0444,
       canonical,
       {"a.track"},
       0,
       "",
       canonical,
       {"a.track", "link.track"}},
      {"writable",
       0644,
       scrambled,
       {"a.track"},
       0,
       "Reformatted a.track\n",
       canonical,
       {"a.track", "link.track"}},
      {"read-only, upgraded",
       0444,
       "@tempo 90\n",
       {"--upgrade", "a.track"},
       0,
       "Upgraded a.track to a_upgraded.track as song 'a'\n",
       "@tempo 90\n",
       {"a.track", "a_upgraded.track", "link.track"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.write("a.track", c.text);
    fs::create_symlink("a.track", dir / "link.track");
    ASSERT_EQ(::chmod((dir / "a.track").c_str(), c.mode), 0);
    // The user's own directory and file.
    ASSERT_EQ(::chown(dir.path().c_str(), *user, *user), 0);
    ASSERT_EQ(::chown((dir / "a.track").c_str(), *user, *user), 0);
    expect_run(run_tool(dir, c.args, RLIM_INFINITY, user), c.status, c.err);
    EXPECT_EQ(dir.read("a.track"), c.after);
    EXPECT_EQ(status_of(dir / "a.track").st_mode & 07777, c.mode);
    EXPECT_EQ(dir.entries(), c.entries);
  }
}

TEST(EndToEnd, WriteFailureLeavesTheOriginalIntact) {
  TempDir dir;
  // Large enough that the canonical text cannot fit under the limit.
  std::string original = "# Songs\n";
  for (int block = 0; block < 200; ++block) {
    original += "## song" + std::to_string(block) + "\n@tempo 120\n";
  }
  dir.write("big.track", original);
  dir.write("after.track", scrambled);
  expect_run(run_tool(dir, {"big.track", "after.track"}, 1024), 1,
             "Writing big.track: File too large (os error 27)\n");
  EXPECT_EQ(dir.read("big.track"), original);
  EXPECT_EQ(dir.read("after.track"), scrambled);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"after.track", "big.track"}));
}

TEST(EndToEnd, RefusesTextARewriteWouldDropOrNobodyReads) {
  struct Case {
    const char* name;
    const char* text;
    const char* err;
  } cases[] = {
      {"repeated meta", "# Meta\n@title A\n# Songs\n## main\n# Meta\n@author B\n# Meta\n",
       "Refusing a.track: '# Meta' appears 3 times and only the last would be kept: merge them "
       "into one '# Meta' section\n"},
      {"preamble", "# Sounds\nlead: sine 440\n## pad\n",
       "Refusing a.track: 'lead: sine 440' sits before the first block of '# Sounds', where "
       "nothing reads it: the pre-0.20 one-line sound syntax was replaced by a '## lead' block, "
       "one harmonic per line and every setting as its own '@' directive\n"},
      {"sub-block", "# Layers\n## bass\n### Verse\n",
       "Refusing a.track: '### Verse' sits inside '## bass' of '# Layers', where nothing reads "
       "it: move its lines into the block or into a '## <name>' block of its own\n"},
      {"preamble before sub-block", "# Songs\n## main\n### x\n# Waves\nstray\n",
       "Refusing a.track: 'stray' sits before the first block of '# Waves', where nothing reads "
       "it: move it into a '## <name>' block under '# Waves'\n"},
      {"sub-block before repeated meta", "# Meta\n# Meta\n## Tags\n### x\n",
       "Refusing a.track: '### x' sits inside '## Tags' of '# Meta', where nothing reads it: "
       "move its lines into the block\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.write("a.track", c.text);
    expect_run(run_tool(dir, {"a.track"}), 1, c.err);
    EXPECT_EQ(dir.read("a.track"), c.text);
  }
}

TEST(EndToEnd, UnknownSectionsWithDeepNestingRoundTrip) {
  TempDir dir;
  std::string text = "# Notes\n";
  std::string expected = "# Notes\n";
  std::string marks = "#";
  for (int level = 1; level < 2000; ++level) {
    marks += '#';
    text += marks + " level\ntext\n";
    expected += "\n" + marks + " level\ntext\n";
  }
  dir.write("deep.track", text);
  expect_run(run_tool(dir, {"deep.track"}), 0, "Reformatted deep.track\n");
  EXPECT_EQ(dir.read("deep.track"), expected);
}

}  // namespace
}  // namespace voromel::cli::testing
