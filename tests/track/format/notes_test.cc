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

namespace voromel::track::format {
namespace {

// Reads a layer note line (the first token is the sound) and writes it back,
// or gives the error text.
std::string rewrite_note(std::string_view line, std::size_t line_number = 1) {
  Tokens tokens(line);
  const std::string_view sound = *tokens.next();
  song::Note note;
  const auto read = read_note_line(sound, tokens, line_number, note);
  if (!read) return "error " + read.error().text();
  return format_note(note);
}

TEST(NoteLine, FieldsAreWrittenInCanonicalNumbers) {
  struct Case {
    const char* line;
    const char* written;
  } cases[] = {
      {"lead 0 60 1", "lead 0 60 1"},
      {"lead 0.0 60.50 1e0", "lead 0 60.5 1"},
      {"lead -0 -2.25 0.1", "lead 0 -2.25 0.1"},
      {"lead nan INF -inf", "lead NaN inf -inf"},
      {"lead\u00a00\t60   1", "lead 0 60 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(rewrite_note(c.line), c.written);
  }
}

TEST(NoteLine, FieldErrors) {
  struct Case {
    const char* line;
    const char* error;
  } cases[] = {
      {"lead", "error line 4: note needs start"},
      {"lead 0", "error line 4: note needs pitch"},
      {"lead 0 60", "error line 4: note needs duration"},
      {"lead x 60 1", "error line 4: invalid number for start: 'x'"},
      {"lead 0 C4 1", "error line 4: invalid number for pitch: 'C4'"},
      {"lead 0 60 1/2", "error line 4: invalid number for duration: '1/2'"},
      // A bad field is reported before a bad option further on.
      {"lead 0 x 1 fast", "error line 4: invalid number for pitch: 'x'"},
      {"#lead 0 60 1", "error line 4: note sound '#lead' would read back as a heading"},
      {"# x", "error line 4: note sound '#' would read back as a heading"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(rewrite_note(c.line, 4), c.error);
  }
}

TEST(NoteOptions, AreWrittenInCanonicalOrder) {
  struct Case {
    const char* line;
    const char* written;
  } cases[] = {
      {"lead 0 60 1 glide 2", "lead 0 60 1 glide 2"},
      {"lead 0 60 1 glide 2 ease", "lead 0 60 1 glide 2"},
      {"lead 0 60 1 glide 2 linear", "lead 0 60 1 glide 2 linear"},
      {"lead 0 60 1 glide -1.5 ease-out", "lead 0 60 1 glide -1.5 ease-out"},
      {"lead 0 60 1 glide 0", "lead 0 60 1"},
      {"lead 0 60 1 glide -0 linear", "lead 0 60 1"},
      {"lead 0 60 1 glide 2 volume 0.5", "lead 0 60 1 glide 2 volume 0.5"},
      {"lead 0 60 1 glide 2 glide 0", "lead 0 60 1"},
      {"lead 0 60 1 vol-ramp 1", "lead 0 60 1"},
      {"lead 0 60 1 vol-ramp 0 ease-in", "lead 0 60 1 vol-ramp 0 ease-in"},
      {"lead 0 60 1 volume 1", "lead 0 60 1"},
      {"lead 0 60 1 volume 1.0000001", "lead 0 60 1"},
      {"lead 0 60 1 volume 1.0000002", "lead 0 60 1 volume 1.0000002"},
      {"lead 0 60 1 volume nan", "lead 0 60 1"},
      {"lead 0 60 1 volume 0.2 volume 0.8", "lead 0 60 1 volume 0.8"},
      {"lead 0 60 1 arpeggio 0 4 7 rate 8", "lead 0 60 1 arpeggio 0 4 7 rate 8"},
      {"lead 0 60 1 arpeggio 0 rate 8 arpeggio 1 rate 2", "lead 0 60 1 arpeggio 1 rate 2"},
      {"lead 0 60 1 repeat 0", "lead 0 60 1"},
      {"lead 0 60 1 repeat 1", "lead 0 60 1"},
      {"lead 0 60 1 repeat +3", "lead 0 60 1 repeat 3"},
      {"lead 0 60 1 repeat 4294967295", "lead 0 60 1 repeat 4294967295"},
      {"lead 0 60 1 repeat 3 vol-ramp 0.5 arpeggio 0 1 rate 4 volume 0.5 glide 1 \"hi\"",
       "lead 0 60 1 \"hi\" glide 1 volume 0.5 vol-ramp 0.5 arpeggio 0 1 rate 4 repeat 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(rewrite_note(c.line), c.written);
  }
}

TEST(NoteOptions, QuotedText) {
  struct Case {
    const char* line;
    const char* written;
  } cases[] = {
      {"lead 0 60 1 \"la   la\"", "lead 0 60 1 \"la la\""},
      {"lead 0 60 1 \" la\"", "lead 0 60 1 \" la\""},
      {"lead 0 60 1 \"la \"", "lead 0 60 1 \"la \""},
      {"lead 0 60 1 \"'ah\"", "lead 0 60 1 \"'ah\""},
      {"lead 0 60 1 \"''ah\"", "lead 0 60 1 \"''ah\""},
      {"lead 0 60 1 \"\"", "lead 0 60 1"},
      {"lead 0 60 1 \"'\"", "lead 0 60 1 \"'\""},
      {"lead 0 60 1 volume 0.5 \"la\"", "lead 0 60 1 \"la\" volume 0.5"},
      // A later text replaces the earlier one, apostrophe flag included.
      {"lead 0 60 1 \"'a\" \"b\"", "lead 0 60 1 \"b\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(rewrite_note(c.line), c.written);
  }
}

TEST(NoteOptions, TextAndApostropheFlagAreStoredApart) {
  Tokens tokens("\"'ah\"");
  const auto options = parse_note_options(tokens, 1);
  ASSERT_TRUE(options.has_value());
  EXPECT_EQ(options.value().text, "ah");
  EXPECT_TRUE(options.value().text_apostrophe);
}

TEST(NoteOptions, Errors) {
  struct Case {
    const char* options;
    const char* error;
  } cases[] = {
      {"glide", "line 9: glide needs an offset"},
      {"glide up", "line 9: invalid number for glide: 'up'"},
      {"volume", "line 9: volume needs a value"},
      {"volume loud", "line 9: invalid number for volume: 'loud'"},
      {"vol-ramp", "line 9: vol-ramp needs a target factor"},
      {"vol-ramp x", "line 9: invalid number for vol-ramp: 'x'"},
      {"arpeggio", "line 9: arpeggio needs an offset"},
      {"arpeggio 0 4 7", "line 9: arpeggio needs 'rate <steps per second>'"},
      {"arpeggio 0 rate 0", "line 9: arpeggio needs 'rate <steps per second>'"},
      {"arpeggio rate 8", "line 9: invalid number for arpeggio offset: 'rate'"},
      {"arpeggio 0 rate", "line 9: arpeggio rate needs a value"},
      {"repeat", "line 9: repeat needs a count"},
      {"repeat -1", "line 9: invalid repeat count '-1'"},
      {"repeat +", "line 9: invalid repeat count '+'"},
      {"repeat 3.0", "line 9: invalid repeat count '3.0'"},
      {"repeat 4294967296", "line 9: invalid repeat count '4294967296'"},
      {"\"open text", "line 9: unterminated note text (missing '\"')"},
      {"Volume 1", "line 9: unexpected note token 'Volume'"},
      {"glide 2 ease ease", "line 9: unexpected note token 'ease'"},
      {"volume 0.5 fast", "line 9: unexpected note token 'fast'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    Tokens tokens(c.options);
    const auto options = parse_note_options(tokens, 9);
    ASSERT_FALSE(options.has_value());
    EXPECT_EQ(options.error().text(), c.error);
  }
}

// Every offset of a long arpeggio comes back, in order. (How the time grows
// with the count is measured by bench/linearity.py.)
TEST(NoteOptions, LongArpeggioComesBackWhole) {
  std::string line = "lead 0 60 1 arpeggio";
  for (int i = 0; i < 100000; ++i) line += " " + std::to_string(i % 24);
  line += " rate 16";
  EXPECT_EQ(rewrite_note(line), line);
}

}  // namespace
}  // namespace voromel::track::format
