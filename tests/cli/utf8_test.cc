#include "cli/utf8.h"

#include <gtest/gtest.h>

#include <string>

#include "header_format/text.h"

namespace voromel::cli {
namespace {

TEST(Utf8, ValidityFollowsTheWellFormedSequences) {
  struct Case {
    const char* bytes;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain", true},
      {"\u00e9\u2026\U0001F600\U0010FFFF", true},
      {"\xff", false},
      {"\xc0\xaf", false},          // overlong '/'
      {"\xe0\x80\xaf", false},      // overlong
      {"\xed\xa0\x80", false},      // surrogate
      {"\xf4\x90\x80\x80", false},  // beyond U+10FFFF
      {"\xe2\x82", false},          // truncated
      {"a\x80", false},             // lone continuation
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(header_format::is_valid_utf8(c.bytes), c.valid);
  }
}

TEST(Utf8, LossyTextReplacesEachMaximalSubpart) {
  struct Case {
    const char* bytes;
    const char* text;
  } cases[] = {
      {"song.track", "song.track"},
      {"\xff\xfe", "\uFFFD\uFFFD"},
      {"a\xe2\x82.track", "a\uFFFD.track"},
      {"\xe2\x82\xac", "\u20ac"},
      {"\xf0\x9f\x98", "\uFFFD"},
      {"\xf0\x80\x80", "\uFFFD\uFFFD\uFFFD"},
      {"\xed\xa0\x80", "\uFFFD\uFFFD\uFFFD"},
      {"\xc2\x41", "\uFFFDA"},
      {"\xe1\x80\xe2\x82\xac", "\uFFFD\u20ac"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(lossy_utf8(c.bytes), c.text);
  }
}

TEST(Utf8, EscapesControlCharacters) {
  struct Case {
    std::string text;
    const char* escaped;
  } cases[] = {
      {"tab\tstays", "tab\tstays"},
      {"\x1b[31m", "\\u{1b}[31m"},
      {std::string("nul\0end", 7), "nul\\u{0}end"},
      {"line\nfeed\r", "line\\u{a}feed\\u{d}"},
      {"\x7f", "\\u{7f}"},
      {"\u0085\u009f\u00a0", "\\u{85}\\u{9f}\u00a0"},
      {"\u2026 \u0100", "\u2026 \u0100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(escape_control_characters(c.text), c.escaped);
  }
}

}  // namespace
}  // namespace voromel::cli
