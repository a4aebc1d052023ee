#include "track/format/clips.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "track/format/notes.h"

namespace voromel::track::format {
namespace {

// Reads a clip line and writes back what it holds, or gives the error text.
std::string rewrite_clip(std::string_view line) {
  song::Note note;
  const auto read = read_track_line(line, 6, note);
  if (!read) return "error " + read.error().text();
  if (!read.value()) return "note: " + format_note(note);
  const Placement& placement = *read.value();
  if (const auto* motif = std::get_if<song::MotifInstance>(&placement)) {
    std::string out = "motif: ";
    append_motif_instance(out, *motif);
    return out;
  }
  std::string out = "subtrack: ";
  append_subtrack_instance(out, std::get<song::SubtrackInstance>(placement));
  return out;
}

// A note line with a plain head is written from its head and its tail's
// own canonical text, without being read into a note: that must give
// exactly what reading and writing it gives.
TEST(PlainNoteHead, WrittenAsReadingAndWritingWould) {
  const struct Case {
    const char* line;
    const char* written;  // nullptr: not written so
  } cases[] = {
      {"lead 0 60 1", "lead 0 60 1"},
      {"lead -2.5 60.25 0.000001", "lead -2.5 60.25 0.000001"},
      {"a\x7f  1234567\t0\r\x0b"
       "1",
       "a\x7f 1234567 0 1"},
      {"lead 0 60 1.0", "lead 0 60 1"},
      {"lead 0 60 1\tvolume  0.5 repeat 3", "lead 0 60 1 volume 0.5 repeat 3"},
      {"lead 0 60 1 repeat 2 volume 0.5", "lead 0 60 1 volume 0.5 repeat 2"},
      {"lead 0 60 1 volume 1.0000001 repeat 1", "lead 0 60 1"},
      {"lead 0 60 2 glide 5 linear", "lead 0 60 2 glide 5 linear"},
      {"lead 0 60 1 volume", nullptr},
      {"lead 0 60\x01 1", nullptr},
      {"lead -0 60 1", nullptr},
      {"lead 0.1234567 60 1", nullptr},
      {"lead 0 60", nullptr},
      {"l\xc3\xa9"
       "ad 0 60 1",
       nullptr},
      {"lead\xc2\xa0"
       "0 60 1",
       nullptr},
      {"motif 0 60 1", nullptr},
      {"subtrack 0 60 1", nullptr},
      {"kick.wav 0 60 1", nullptr},
      {"#lead 0 60 1", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const auto head = read_plain_note_head(c.line);
    const auto tail = head ? canonical_note_tail(head->tail) : std::nullopt;
    ASSERT_EQ(tail.has_value(), c.written != nullptr);
    if (!tail) continue;
    std::string written;
    head->append_head_to(written);
    written += ' ' + *tail;
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(rewrite_clip(c.line), "note: " + written);
    song::Note note;
    ASSERT_TRUE(read_track_line(c.line, 1, note).has_value());
    EXPECT_EQ(std::bit_cast<std::uint32_t>(head->start), std::bit_cast<std::uint32_t>(note.start));
  }
}

TEST(PlacementLine, CanonicalText) {
  struct Case {
    const char* line;
    const char* written;
  } cases[] = {
      {"motif hook 16 lead transpose 2", "motif: motif hook 16 lead transpose 2"},
      {"motif hook 16 lead transpose 0", "motif: motif hook 16 lead"},
      {"motif hook 16 lead transpose -0", "motif: motif hook 16 lead"},
      {"motif hook 16 lead transpose nan", "motif: motif hook 16 lead transpose NaN"},
      {"motif hook 16 lead tuning just transpose -1",
       "motif: motif hook 16 lead transpose -1 tuning just"},
      {"motif hook 1e1 lead transpose 1 transpose 3 tuning a tuning b",
       "motif: motif hook 10 lead transpose 3 tuning b"},
      {"subtrack drums 0", "subtrack: subtrack drums 0"},
      {"subtrack drums 0.50 alt transpose 1", "subtrack: subtrack drums 0.5 alt transpose 1"},
      {"subtrack drums 0 tuning just", "subtrack: subtrack drums 0 tuning just"},
      {"lead 0 60 1", "note: lead 0 60 1"},
      {"motif.ogg 0 60 1",
       "error line 6: audio clips were replaced by sampler sounds: define a '## <name>' block "
       "with '@sample \"motif.ogg\"' under '# Sounds' and place it as a note"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(rewrite_clip(c.line), c.written);
  }
}

TEST(PlacementLine, Errors) {
  struct Case {
    const char* line;
    const char* error;
  } cases[] = {
      {"", "line 6: empty track line"},
      {"motif", "line 6: motif needs a name"},
      {"motif hook", "line 6: motif needs start"},
      {"motif hook x lead", "line 6: invalid number for start: 'x'"},
      {"motif hook 16", "line 6: motif needs a sound"},
      {"motif hook 16 lead fast", "line 6: unexpected motif token 'fast'"},
      {"motif hook 16 lead transpose", "line 6: transpose needs a value"},
      {"motif hook 16 lead transpose up", "line 6: invalid number for transpose: 'up'"},
      {"motif hook 16 lead tuning", "line 6: tuning needs a name"},
      {"motif hook 16 lead Transpose 1", "line 6: unexpected motif token 'Transpose'"},
      {"subtrack", "line 6: subtrack needs a name"},
      {"subtrack drums", "line 6: subtrack needs start"},
      {"subtrack drums x", "line 6: invalid number for start: 'x'"},
      {"subtrack drums 0 transpose 1 alt", "line 6: unexpected subtrack token 'alt'"},
      {"subtrack drums 0 alt alt2", "line 6: unexpected subtrack token 'alt2'"},
      {"subtrack drums 0 alt transpose", "line 6: transpose needs a value"},
      {"drums.wav 0 60 1",
       "line 6: audio clips were replaced by sampler sounds: define a '## <name>' block with "
       "'@sample \"drums.wav\"' under '# Sounds' and place it as a note"},
      // The audio check comes before any field is read.
      {"Kick.WAV",
       "line 6: audio clips were replaced by sampler sounds: define a '## <name>' block with "
       "'@sample \"Kick.WAV\"' under '# Sounds' and place it as a note"},
      {"lead 0 60", "line 6: note needs duration"},
      {"#lead 0 60 1", "line 6: note sound '#lead' would read back as a heading"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    song::Note note;
    const auto read = read_track_line(c.line, 6, note);
    ASSERT_FALSE(read.has_value());
    EXPECT_EQ(read.error().text(), c.error);
  }
}

// Applies override and trim lines to an empty placement and writes what it
// holds the way a layer does, or gives the first error text.
std::string rewrite_overrides(std::vector<std::string_view> lines) {
  std::vector<song::NoteOverride> overrides;
  std::optional<song::Trim> trim;
  std::size_t line_number = 1;
  for (const std::string_view line : lines) {
    const auto applied = apply_placement_override(overrides, trim, line, ++line_number);
    if (!applied) return "error " + applied.error().text();
  }
  std::string out;
  for (const song::NoteOverride& note_override : overrides) {
    append_note_override(out, note_override);
    out += '\n';
  }
  if (trim) out += "trim " + std::to_string(trim->from) + " " + std::to_string(trim->count);
  return out;
}

TEST(OverrideLine, CanonicalText) {
  struct Case {
    std::vector<std::string_view> lines;
    const char* written;
  } cases[] = {
      {{"note 2 volume 0.5 pitch 60 skip"}, "note 2 skip pitch 60 volume 0.5\n"},
      {{"note 0 glide 2 duration 1 start 0.5 pitch 64 volume 0.8 pitch 62"},
       "note 0 pitch 62 start 0.5 duration 1 glide 2 volume 0.8\n"},
      {{"note 1 pitch-curve 0 0, 1 2"}, "note 1 pitch-curve 0 0, 1 2\n"},
      {{"note 1 pitch-curve 0 0 ease ,1  2 linear"}, "note 1 pitch-curve 0 0, 1 2 linear\n"},
      {{"note 1 text \"''la   la\" skip"}, "note 1 skip text \"la la\"\n"},
      {{"note 1 text \"\""}, "note 1 text \"\"\n"},
      {{"note 1 text \" a \" text \"b\""}, "note 1 text \"b\"\n"},
      {{"note +007 skip", "note 7 skip"}, "note 7 skip\nnote 7 skip\n"},
      {{"note 18446744073709551615"}, "note 18446744073709551615\n"},
      {{"trim 0 4"}, "trim 0 4"},
      {{"trim 0 4", "note 3 skip", "trim +1 18446744073709551615"},
       "note 3 skip\ntrim 1 18446744073709551615"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.front());
    EXPECT_EQ(rewrite_overrides(c.lines), c.written);
  }
}

TEST(OverrideLine, Errors) {
  struct Case {
    const char* line;
    const char* error;
  } cases[] = {
      {"", "line 2: empty placement override"},
      {"Note 1 skip", "line 2: placement override must be 'note' or 'trim', got 'Note'"},
      {"pitch 0 0, 1 2", "line 2: placement override must be 'note' or 'trim', got 'pitch'"},
      {"note", "line 2: note override needs an index"},
      {"note x", "line 2: invalid index for note index: 'x'"},
      {"note -1", "line 2: invalid index for note index: '-1'"},
      {"note +", "line 2: invalid index for note index: '+'"},
      {"note 18446744073709551616", "line 2: invalid index for note index: '18446744073709551616'"},
      {"note 1 pitch", "line 2: override 'pitch' needs a value"},
      {"note 1 skip color", "line 2: override 'color' needs a value"},
      {"note 1 color 5", "line 2: unknown override field 'color'"},
      {"note 1 color red", "line 2: invalid number for color: 'red'"},
      {"note 1 volume loud", "line 2: invalid number for volume: 'loud'"},
      {"note 1 text la", "line 2: override text must be quoted"},
      {"note 1 text \"la", "line 2: unterminated note text (missing '\"')"},
      {"note 1 pitch-curve", "line 2: envelope point needs '<x> <y> [curve]'"},
      {"note 1 pitch-curve 0 0, 1 2 skip",
       "line 2: unknown curve 'skip' (expected linear, ease-in, ease-out or ease)"},
      {"trim", "line 2: trim needs <from> <count>"},
      {"trim 2", "line 2: trim needs <from> <count>"},
      {"trim x", "line 2: trim needs <from> <count>"},
      {"trim 2 4 6", "line 2: trim takes only <from> <count>"},
      {"trim x 4", "line 2: invalid index for trim from: 'x'"},
      {"trim 2 4.5", "line 2: invalid index for trim count: '4.5'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(rewrite_overrides({c.line}), std::string("error ") + c.error);
  }
}

TEST(OverrideLine, FailureLeavesThePlacementUnchanged) {
  std::vector<song::NoteOverride> overrides;
  std::optional<song::Trim> trim = song::Trim{1, 2};
  EXPECT_FALSE(apply_placement_override(overrides, trim, "note 1 skip pitch x", 3).has_value());
  EXPECT_FALSE(apply_placement_override(overrides, trim, "trim 4 5 6", 4).has_value());
  EXPECT_TRUE(overrides.empty());
  EXPECT_EQ(trim, (song::Trim{1, 2}));
}

TEST(ParseIndex, Limits) {
  EXPECT_EQ(parse_index("+0", 1, "x").value(), 0u);
  EXPECT_EQ(parse_index("18446744073709551615", 1, "x").value(),
            std::numeric_limits<std::uint64_t>::max());
  for (const char* bad : {"", "+", "-0", " 1", "1 ", "0x1", "1e3", "99999999999999999999"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(parse_index(bad, 3, "trim from").error().text(),
              "line 3: invalid index for trim from: '" + std::string(bad) + "'");
  }
}

}  // namespace
}  // namespace voromel::track::format
