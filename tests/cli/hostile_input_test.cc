#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tool_run.h"

// Input meant to break the tool, through the binary: each run ends with the
// exact message and status, nothing on standard output, and no file damaged
// or left behind.
namespace voromel::cli::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr const char* scrambled = "# Songs\n## main\n@tempo 120\n# Meta\n@title Demo\n";
constexpr const char* canonical = "# Meta\n\n@title Demo\n\n# Songs\n\n## main\n@tempo 120\n";
const std::string refused_sub_block =
    " sits inside '## x' of '# Songs', where nothing reads it: move its lines into the block or "
    "into a '## <name>' block of its own\n";

// `levels` headings, each one level below the last, the first with
// `first_marks` '#' marks, each with the title "level".
std::string nested_headings(int first_marks, int levels, bool blank_line_before_each) {
  std::string text;
  for (int level = 0; level < levels; ++level) {
    if (blank_line_before_each) text += '\n';
    text += std::string(first_marks + level, '#') + " level\n";
  }
  return text;
}

struct ContentCase {
  const char* name;
  std::string text;
  int status;
  std::string err;
  // What a.track holds afterwards.
  std::string after;
};

void run_content_cases(const std::vector<ContentCase>& cases) {
  for (const ContentCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.write("a.track", c.text);
    expect_run(run_tool(dir, {"a.track"}), c.status, c.err);
    EXPECT_EQ(dir.read("a.track"), c.after);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.track"});
  }
}

TEST(HostileInput, StrangeContent) {
  const std::string binary_text = [] {
    std::string all_ascii;
    for (int byte = 0; byte < 128; ++byte) all_ascii += static_cast<char>(byte);
    return all_ascii;
  }();
  run_content_cases({
      {"empty file", "", 0, "", ""},
      {"white space only", " \t\n\n\u3000\n", 0, "", " \t\n\n\u3000\n"},
      {"white space and carriage returns", " \r\n\t\r", 0, "Reformatted a.track\n", " \n\t\n"},
      {"a NUL byte alone", "\0"s, 0, "Reformatted a.track\n", "\0\n"s},
      {"NUL bytes in a title", "# Meta\n@title a\0b\n"s, 0, "Reformatted a.track\n",
       "# Meta\n\n@title a\0b\n"s},
      {"NUL bytes in an unknown section", "\0\n# Zed\n\0\0\n"s, 0, "Reformatted a.track\n",
       "\0\n\n# Zed\n\n\0\0\n"s},
      {"a NUL byte in a number", "# Songs\n## main\n@tempo 1\0\n"s, 1,
       "Parsing a.track: line 1: invalid number for tempo: '1\\u{0}'\n",
       "# Songs\n## main\n@tempo 1\0\n"s},
      {"every ASCII byte, control characters included", binary_text, 0, "Reformatted a.track\n",
       binary_text + "\n"},
      {"a byte-order mark before a heading", "\uFEFF"s + scrambled, 0, "Reformatted a.track\n",
       "\uFEFF"s + canonical},
      {"canonical but for a byte-order mark", "\uFEFF"s + canonical, 0, "", "\uFEFF"s + canonical},
      {"a byte-order mark after the first", "\uFEFF\uFEFF## x\n", 0, "", "\uFEFF\uFEFF## x\n"},
      {"control characters in an offending token", "# Songs\n## main\n@tempo \x1b[2J\x7f\u009b\n",
       1, "Parsing a.track: line 1: invalid number for tempo: '\\u{1b}[2J\\u{7f}\\u{9b}'\n",
       "# Songs\n## main\n@tempo \x1b[2J\x7f\u009b\n"},
      {"control characters in a directive name", "# Songs\n## main\n@\a\x1b]0;x\a\n", 1,
       "Parsing a.track: line 1: unknown global directive '\\u{7}\\u{1b}]0;x\\u{7}'\n",
       "# Songs\n## main\n@\a\x1b]0;x\a\n"},
  });
}

TEST(HostileInput, DeepNesting) {
  const std::string deep_unknown = "# Notes\n" + nested_headings(2, 1000, false);
  const std::string deep_song = "# Songs\n## x\n@tempo 1\n" + nested_headings(3, 1000, false);
  const std::string deep_tags = "# Meta\n## Tags\n" + nested_headings(3, 1000, false);
  const std::string skipped = deep_unknown + std::string(1003, '#') + " x\n";
  const std::string many_marks = std::string(1000, '#') + " x\n";
  run_content_cases({
      {"a thousand levels in an unknown section", deep_unknown, 0, "Reformatted a.track\n",
       "# Notes\n" + nested_headings(2, 1000, true)},
      {"a thousand levels inside a song", deep_song, 1,
       "Refusing a.track: '### level' sits inside '## x' of '# Songs', where nothing reads it: "
       "move its lines into the block or into a '## <name>' block of its own\n",
       deep_song},
      {"a thousand levels inside the tags", deep_tags, 1,
       "Refusing a.track: '### level' sits inside '## Tags' of '# Meta', where nothing reads it: "
       "move its lines into the block\n",
       deep_tags},
      {"a level skipped at the bottom", skipped, 1,
       "Parsing a.track: subheader without an enclosing header\n", skipped},
      {"a thousand marks before any section", many_marks, 1,
       "Parsing a.track: subheader without an enclosing header\n", many_marks},
  });
}

// Each step of an equal temperament is one ratio held and written: a short
// line must not make the tool hold or write gigabytes.
TEST(HostileInput, EqualLinesOverTheBound) {
  std::string many_equal_lines = "# Tunings\n\n## big\n";
  for (int line_number = 0; line_number < 33; ++line_number) many_equal_lines += "equal 65536\n";
  run_content_cases({
      {"one line over the bound", "# Tunings\n\n## big\nequal 70000\n", 1,
       "Parsing a.track: line 4: line 1: step count '70000' is too large (at most 65536)\n",
       "# Tunings\n\n## big\nequal 70000\n"},
      {"the largest count", "# Tunings\n\n## big\nequal 18446744073709551615\n", 1,
       "Parsing a.track: line 4: line 1: step count '18446744073709551615' is too large (at most "
       "65536)\n",
       "# Tunings\n\n## big\nequal 18446744073709551615\n"},
      {"lines within the bound that add up beyond the document's", many_equal_lines, 1,
       "Parsing a.track: line 36: line 33: step count '65536' is too large (at most 0 more steps "
       "in this document)\n",
       many_equal_lines},
  });
}

// Refused in both modes before anything else is done with it.
void expect_refused_as_not_utf8(const std::string& bytes) {
  TempDir dir;
  dir.write("a.track", bytes);
  for (const char* mode : {"--upgrade", "a.track"}) {
    expect_run(run_tool(dir, {mode, "a.track"}), 1,
               "Reading a.track: stream did not contain valid UTF-8\n");
  }
  EXPECT_EQ(dir.read("a.track"), bytes);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.track"});
}

TEST(HostileInput, InvalidUtf8InTheMiddleOfALineInBothModes) {
  const char* sequences[] = {
      "\xc0\xaf",                  // '/' in two bytes (overlong)
      "\xc1\xbf",                  // U+007F in two bytes (overlong)
      "\xe0\x80\xaf",              // '/' in three bytes (overlong)
      "\xe0\x9f\xbf",              // U+07FF in three bytes (overlong)
      "\xf0\x80\x80\xaf",          // '/' in four bytes (overlong)
      "\xf0\x8f\xbf\xbf",          // U+FFFF in four bytes (overlong)
      "\xed\xa0\x80",              // U+D800, a surrogate
      "\xed\xbf\xbf",              // U+DFFF, a surrogate
      "\xed\xa0\xbd\xed\xb8\x80",  // a surrogate pair encoded one half at a time
      "\xf4\x90\x80\x80",          // U+110000, beyond Unicode
      "\xf8\x88\x80\x80\x80",      // a five-byte form
      "\xe2\x82",                  // a sequence cut short
      "\x80",                      // a continuation byte alone
      "\xfe\xff",                  // bytes that never occur
  };
  for (const char* sequence : sequences) {
    SCOPED_TRACE(::testing::PrintToString(std::string(sequence)));
    expect_refused_as_not_utf8("# Meta\n@title Caf" + std::string(sequence) + " au lait\n");
  }
}

TEST(HostileInput, BinaryFile) {
  // The start of an image file, then every byte value.
  std::string bytes = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s;
  for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
  expect_refused_as_not_utf8(bytes);
}

TEST(HostileInput, FiftyMegabyteLine) {
  const std::string long_text(50 << 20, 'a');
  TempDir dir;
  // Read, split, written, read back and replaced whole.
  dir.write("a.track", "# Notes\n" + long_text + "\n");
  expect_run(run_tool(dir, {"a.track"}), 0, "Reformatted a.track\n");
  EXPECT_TRUE(dir.read("a.track") == "# Notes\n\n" + long_text + "\n");
  // Named in full in the message.
  const std::string bad_number = "# Songs\n## main\n@tempo x" + long_text + "\n";
  dir.write("b.track", bad_number);
  const ToolRun run = run_tool(dir, {"b.track"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err ==
              "Parsing b.track: line 1: invalid number for tempo: 'x" + long_text + "'\n");
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(dir.read("b.track") == bad_number);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.track", "b.track"}));
}

TEST(HostileInput, ThingsThatAreNotRegularFilesInBothModes) {
  TempDir dir;
  fs::create_directory(dir / "folder.track");
  ASSERT_EQ(::mkfifo((dir / "pipe.track").c_str(), 0644), 0);
  struct Case {
    const char* path;
    const char* err;
  } cases[] = {
      {"folder.track", "Reading folder.track: Is a directory (os error 21)\n"},
      {"pipe.track", "Reading pipe.track: not a regular file\n"},
      {"/dev/zero", "Reading /dev/zero: not a regular file\n"},
      {"/dev/urandom", "Reading /dev/urandom: not a regular file\n"},
  };
  for (const Case& c : cases) {
    for (const char* mode : {"--upgrade", c.path}) {
      SCOPED_TRACE(std::string(c.path) + " " + mode);
      expect_run(run_tool(dir, {mode, c.path}), 1, c.err);
    }
  }
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"folder.track", "pipe.track"}));
  EXPECT_TRUE(fs::is_empty(dir / "folder.track"));
}

// The limit applies to the tool's standard error too, a file here: it stays
// above the length of the message.
TEST(HostileInput, DiskFillsWhileWritingInBothModes) {
  std::string many_songs = "# Songs\n";
  std::string many_markers = "@tempo 100\n";
  for (int block = 0; block < 200; ++block) {
    many_songs += "## song" + std::to_string(block) + "\n";
    many_markers += "@marker " + std::to_string(block) + " m" + std::to_string(block) + "\n";
  }
  struct Case {
    bool upgrade;
    rlim_t limit;
    const char* err;
    const std::string& text;
  } cases[] = {
      {false, 100, "Writing a.track: File too large (os error 27)\n", many_songs},
      {false, 2000, "Writing a.track: File too large (os error 27)\n", many_songs},
      {true, 100, "Writing a_upgraded.track: File too large (os error 27)\n", many_markers},
      {true, 2000, "Writing a_upgraded.track: File too large (os error 27)\n", many_markers},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "upgrade " << c.upgrade << ", limit " << c.limit);
    TempDir dir;
    dir.write("a.track", c.text);
    const std::vector<std::string> args = c.upgrade
                                              ? std::vector<std::string>{"--upgrade", "a.track"}
                                              : std::vector<std::string>{"a.track"};
    expect_run(run_tool(dir, args, c.limit), 1, c.err);
    EXPECT_EQ(dir.read("a.track"), c.text);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.track"});
  }
}

TEST(HostileInput, ControlCharactersInFileNames) {
  struct Case {
    std::string name;
    const char* err;
  } cases[] = {
      {"a\x1b[31m.track", "Reformatted a\\u{1b}[31m.track\n"},
      {"line\nbreak.track", "Reformatted line\\u{a}break.track\n"},
      {"\r\t.track", "Reformatted \\u{d}\t.track\n"},
      {"csi\u009b.track", "Reformatted csi\\u{9b}.track\n"},
      {"bad\xff\x7f.track", "Reformatted bad\uFFFD\\u{7f}.track\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.name));
    TempDir dir;
    dir.write(c.name, scrambled);
    expect_run(run_tool(dir, {c.name}), 0, c.err);
    EXPECT_EQ(dir.read(c.name), canonical);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{c.name});
  }
  TempDir dir;
  expect_run(run_tool(dir, {"\a\x1b[2J"}), 1,
             "Reading \\u{7}\\u{1b}[2J: No such file or directory (os error 2)\n");
  dir.write("old\x1b.track", "@tempo 100\n");
  expect_run(run_tool(dir, {"--upgrade", "old\x1b.track"}), 0,
             "Upgraded old\\u{1b}.track to old\\u{1b}_upgraded.track as song 'old\\u{1b}'\n");
  EXPECT_EQ(dir.read("old\x1b_upgraded.track"), "# Songs\n\n## old\x1b\n@tempo 100\n");
}

}  // namespace
}  // namespace voromel::cli::testing
