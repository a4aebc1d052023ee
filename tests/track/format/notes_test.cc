#include "track/format/notes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voromel::track::format {
namespace {

using header_format::Tokens;

// Reads a quoted text from a whole token string whose first token opens it;
// returns the text, or the error text, followed by what is left unread.
std::string quoted(std::string_view line) {
  Tokens tokens(line);
  const std::string_view opening = *tokens.next();
  auto text = read_quoted(opening.substr(1), tokens, 2);
  const std::string rest(tokens.rest());
  if (!text) return "error " + text.error().text() + " | " + rest;
  return "[" + text.value() + "] | " + rest;
}

TEST(QuotedText, JoinsTokensWithSingleSpaces) {
  struct Case {
    const char* line;
    const char* result;
  } cases[] = {
      {"\"la\" volume 1", "[la] | volume 1"},
      {"\"la   la\"", "[la la] | "},
      {"\" la\"", "[ la] | "},
      {"\"la \"", "[la ] | "},
      {"\"\" x", "[] | x"},
      {"\"'ah\"", "['ah] | "},
      {"\"a\"b\" c", "[a\"b] | c"},
      {"\"\t\"", "[ ] | "},
      {"\"la", "error line 2: unterminated note text (missing '\"') | "},
      {"\" la la", "error line 2: unterminated note text (missing '\"') | "},
      {"\"", "error line 2: unterminated note text (missing '\"') | "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(quoted(c.line), c.result);
  }
}

TEST(Arpeggio, ReadsOffsetsUpToTheRate) {
  Tokens tokens("4 7 rate 8 volume 1");
  const auto arpeggio = parse_arpeggio("0", tokens, 1);
  ASSERT_TRUE(arpeggio.has_value()) << arpeggio.error().text();
  EXPECT_EQ(arpeggio.value().offsets, (std::vector<float>{0, 4, 7}));
  EXPECT_EQ(arpeggio.value().rate, 8);
  EXPECT_EQ(tokens.rest(), "volume 1");
}

TEST(Arpeggio, Errors) {
  struct Case {
    const char* first;
    const char* rest;
    const char* error;
  } cases[] = {
      {"0", "4 7", "line 3: arpeggio needs 'rate <steps per second>'"},
      {"0", "rate 0", "line 3: arpeggio needs 'rate <steps per second>'"},
      {"0", "rate -2", "line 3: arpeggio needs 'rate <steps per second>'"},
      {"0", "rate nan", "line 3: arpeggio needs 'rate <steps per second>'"},
      {"0", "rate", "line 3: arpeggio rate needs a value"},
      {"0", "rate x", "line 3: invalid number for arpeggio rate: 'x'"},
      {"rate", "8", "line 3: invalid number for arpeggio offset: 'rate'"},
      {"0", "4 x rate 8", "line 3: invalid number for arpeggio offset: 'x'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " " + c.rest);
    Tokens tokens(c.rest);
    const auto arpeggio = parse_arpeggio(c.first, tokens, 3);
    ASSERT_FALSE(arpeggio.has_value());
    EXPECT_EQ(arpeggio.error().text(), c.error);
  }
}

TEST(AudioFilename, LooksAtTheTextAfterTheLastDot) {
  struct Case {
    const char* text;
    bool audio;
  } cases[] = {
      {"drums.wav", true}, {"Kick.WAV", true},      {"loop.Flac", true},  {"a.b.mp3", true},
      {"x.ogg", true},     {".ogg", true},          {"kick.wave", false}, {"wav", false},
      {"readme", false},   {"song.wav.txt", false}, {"x.", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(is_audio_filename(c.text), c.audio);
  }
}

}  // namespace
}  // namespace voromel::track::format
