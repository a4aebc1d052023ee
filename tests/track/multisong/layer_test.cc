#include "track/multisong/layer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "body_support.h"
#include "track/multisong/section_kinds.h"

namespace voromel::track::multisong {
namespace {

using testing::lines_of;

// The canonical body, or the error as the user reads it for a block whose
// first body line is file line 12. Writing the body as it is read must give
// the same as reading it into a value and writing that, and so must writing
// it again with the note tails the first writing learnt.
std::string rewrite(std::string_view body) {
  const auto lines = lines_of(body);
  WriteMemo memo;
  std::string streamed;
  std::string streamed_again;
  const auto written = LayerSection::write(lines, streamed, memo);
  const auto written_again = LayerSection::write(lines, streamed_again, memo);
  const auto layer = LayerSection::parse(lines);
  if (!layer) {
    const std::string error = "error " + layer.error().shifted(12).text();
    for (const auto& attempt : {written, written_again}) {
      EXPECT_FALSE(attempt.has_value());
      if (!attempt) {
        EXPECT_EQ("error " + attempt.error().shifted(12).text(), error);
      }
    }
    return error;
  }
  std::string out;
  LayerSection::serialize(layer.value(), out);
  EXPECT_TRUE(written.has_value() && written_again.has_value());
  EXPECT_EQ(streamed, out);
  EXPECT_EQ(streamed_again, out);
  return out;
}

struct Case {
  const char* body;
  const char* written;
};

// Each body is written as given, and what is written is a fixed point.
void check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(rewrite(c.body), c.written);
    if (!std::string_view(c.written).starts_with("error")) {
      EXPECT_EQ(rewrite(c.written), c.written);
    }
  }
}

TEST(LayerDirectives, CanonicalLine) {
  check({
      {"@volume 0.5 @pan -0.25\n@loop 16\n@mute yes",
       "@volume 0.5 @pan -0.25 @mute true @loop 16\n"},
      {"@volume 1\n@pan 0\n@root 440\n@loop 8 skip 0", "@loop 8\n"},
      {"@pan -0\n@loop 8 skip -0", "@loop 8\n"},
      {"@volume 0.5 extra", "@volume 0.5\n"},
      {"@volume param gain", "@volume param gain\n"},
      {"@volume param gain 1 extra", "@volume param gain\n"},
      {"@volume param gain 1.0000001", "@volume param gain\n"},
      {"@volume param gain nan", "@volume param gain\n"},
      {"@volume param gain 0.5", "@volume param gain 0.5\n"},
      {"@volume param gain 0.5 @volume 0.3", "@volume 0.3\n"},
      {"@volume 0.3 @volume param g", "@volume param g\n"},
      {"@volume nan @pan nan @root nan @loop nan skip nan",
       "@volume NaN @pan NaN @loop NaN skip NaN @root NaN\n"},
      {"@mute", ""},
      {"@mute on @solo 1", "@mute true @solo true\n"},
      {"@mute on\n@mute off", ""},
      {"@tuning", "@tuning \n"},
      {"@tuning @root 2", "@tuning  @root 2\n"},
      {"@tuning  just  intonation ", "@tuning just  intonation\n"},
      {"@root 432.5", "@root 432.5\n"},
      {"@effect eq 3 -2\n@effect reverb hall @effect bitcrusher 8.9",
       "@effect eq 3 -2 300 3000 @effect reverb hall @effect bitcrusher 8\n"},
      {"@effect lowpass 800 @root 1 @tuning t @loop 2 skip 1 @solo on @mute on @pan 1 @volume 2",
       "@volume 2 @pan 1 @mute true @solo true @loop 2 skip 1 @tuning t @root 1 "
       "@effect lowpass 800\n"},
      {"  @pan 1\n\t@root 2", "@pan 1 @root 2\n"},
      {"@\n@ 1\n@@pan 1", "@pan 1\n"},
      {"", ""},
      {"\n \n\t\n", ""},
  });
}

TEST(LayerDirectives, Errors) {
  check({
      {"@volume", "error line 12: line 1: @volume needs a value or 'param <name>'"},
      {"@volume param", "error line 12: line 1: @volume param needs a parameter name"},
      {"@volume x", "error line 12: line 1: invalid number for volume: 'x'"},
      {"@volume param g x", "error line 12: line 1: invalid number for volume scale: 'x'"},
      {"@pan 0.5 0.7", "error line 12: line 1: invalid number for pan: '0.5 0.7'"},
      {"@pan", "error line 12: line 1: invalid number for pan: ''"},
      {"@mute maybe", "error line 12: line 1: invalid bool for mute: 'maybe'"},
      {"@solo TRUE", "error line 12: line 1: invalid bool for solo: 'TRUE'"},
      {"@loop", "error line 12: line 1: loop needs a length"},
      {"@loop x skip", "error line 12: line 1: invalid number for loop: 'x'"},
      {"@loop 8 fast", "error line 12: line 1: unexpected loop token 'fast'"},
      {"@loop 8 skip", "error line 12: line 1: loop skip needs a value"},
      {"@loop 8 skip x 3", "error line 12: line 1: invalid number for skip: 'x'"},
      {"@loop 8 skip 2 3", "error line 12: line 1: extra tokens after loop skip"},
      {"@root low", "error line 12: line 1: invalid number for root: 'low'"},
      {"\n\n@Volume 1", "error line 14: line 3: unknown layer directive 'Volume'"},
      {"@pan 1 @gain 2", "error line 12: line 1: unknown layer directive 'gain'"},
      {"@effect", "error line 12: line 1: effect needs a type"},
      {"@effect chorus 1", "error line 12: line 1: unknown effect 'chorus'"},
      {"@effect echo 0.25 0.5", "error line 12: line 1: effect 'echo' missing mix"},
  });
}

TEST(LayerDirectives, OneLineOrSeveralGiveTheSameLayer) {
  const auto joined = LayerSection::parse(lines_of(
      "@volume param g 2 @pan 1 @mute on @loop 4 skip 1 @tuning t @root 432 @effect eq 3 -2 "
      "@effect bitcrusher 8"));
  const auto separate = LayerSection::parse(
      lines_of("@volume param g 2\n@pan 1\n  @mute on\n@loop 4 skip 1\n\n@tuning t\n@root 432\n"
               "\t@effect eq 3 -2\n@effect bitcrusher 8"));
  ASSERT_TRUE(joined.has_value());
  ASSERT_TRUE(separate.has_value());
  EXPECT_EQ(joined.value(), separate.value());
  EXPECT_EQ(joined.value().effects.size(), 2u);
}

TEST(LayerBody, NotesAreSortedByStart) {
  check({
      {"b 2 60 1\na 1 60 1\nc 0 60 1", "c 0 60 1\na 1 60 1\nb 2 60 1\n"},
      {"first 1 60 1\nearly 0 60 1\nsecond 1 62 1", "early 0 60 1\nfirst 1 60 1\nsecond 1 62 1\n"},
      {"pos 0 60 1\nneg -0 60 1\nlate nan 60 1\nend inf 60 1\nlow -inf 60 1",
       "low -inf 60 1\nneg 0 60 1\npos 0 60 1\nend inf 60 1\nlate NaN 60 1\n"},
  });
}

TEST(LayerBody, IndentedLinesAttachToTheClipAbove) {
  check({
      {"lead 1 60 1\nlead 0 60 2\n\n@pan 1\n\n  pitch 0 0, 0.5 2, 1 0\n  volume 0 1, 1 0",
       "@pan 1\nlead 0 60 2 vol-ramp 0\n  pitch 0 0, 0.5 2, 1 0 linear\nlead 1 60 1\n"},
      {"subtrack drums 0 alt\n  trim 1 2\nmotif hook 16 lead transpose 2\n"
       "  note 0 pitch 64 volume 0.8\n\n  note 3 skip\n  trim 0 4\nlead 4 60 1\n"
       "\tvolume 0 1, 1 2",
       "lead 4 60 1 vol-ramp 2\nmotif hook 16 lead transpose 2\n  note 0 pitch 64 volume 0.8\n"
       "  note 3 skip\n  trim 0 4\nsubtrack drums 0 alt\n  trim 1 2\n"},
      {"motif a 0 s\n  trim 1 2\n  trim 3 4\nmotif b 1 s\n  note 1 skip\n  note 1 skip",
       "motif a 0 s\n  trim 3 4\nmotif b 1 s\n  note 1 skip\n  note 1 skip\n"},
  });
}

TEST(LayerBody, IndentedLineErrors) {
  check({
      {"motif hook 0 lead\n  pitch 0 0, 1 2",
       "error line 13: indented pitch/volume curve without a preceding note"},
      {"  volume 0 1, 1 0", "error line 12: indented pitch/volume curve without a preceding note"},
      {"lead 0 60 1\n  note 1 skip",
       "error line 13: indented override without a preceding motif or subtrack instance"},
      {"@pan 1\n  trim 0 1",
       "error line 13: indented override without a preceding motif or subtrack instance"},
      {"lead 0 60 1\n  pitch 0 x", "error line 13: line 2: invalid number for envelope y: 'x'"},
      {"subtrack s 0\n  note x", "error line 13: line 2: invalid index for note index: 'x'"},
      {"motif m 0 s\n  Note 1 skip",
       "error line 13: line 2: placement override must be 'note' or 'trim', got 'Note'"},
      {"lead 0 60 1\n\nlead 0 x 1", "error line 14: line 3: invalid number for pitch: 'x'"},
      {"motif m 0", "error line 12: line 1: motif needs a sound"},
      {"kick.wav 0 60 1",
       "error line 12: line 1: audio clips were replaced by sampler sounds: define a '## <name>' "
       "block with '@sample \"kick.wav\"' under '# Sounds' and place it as a note"},
      // Reached past a no-break space, which does not indent a line.
      {"\u00a0#lead 0 60 1",
       "error line 12: line 1: note sound '#lead' would read back as a heading"},
  });
}

TEST(LayerBody, WriterSortsNotesItWasGivenOutOfOrder) {
  song::Layer layer;
  for (const char* sound : {"b", "a"}) {
    song::Note note;
    note.sound = sound;
    note.start = sound[0] == 'b' ? 1.0f : 0.0f;
    note.last_segment.duration = 1;
    layer.notes.push_back(note);
  }
  std::string out;
  LayerSection::serialize(layer, out);
  EXPECT_EQ(out, "a 0 0 1\nb 1 0 1\n");
}

TEST(LayerBody, InADocumentKeepsItsName) {
  const auto document = parse_track_document(
      "# Layers\n\n## bass\n@volume 0.8\nbass 0 36 1\n## hook\n\n\u00a0#x 0 60 1\n");
  ASSERT_FALSE(document.has_value());
  EXPECT_EQ(document.error().text(),
            "line 8: line 1: note sound '#x' would read back as a heading");
  const auto fine = parse_track_document("# Layers\n\n## bass\n@volume 0.8\nbass 0 36 1\n");
  ASSERT_TRUE(fine.has_value());
  EXPECT_EQ(fine.value().sections.layers.items[0].name, "bass");
  EXPECT_EQ(serialize_document(fine.value()), "# Layers\n\n## bass\n@volume 0.8\nbass 0 36 1\n");
}

// A curve line under a note changes its text; the text kept for a tail that
// other notes repeat is the tail's own, whichever note meets it first.
TEST(LayerBody, RepeatedTailsAreWrittenAsTheirOwn) {
  check({
      {"a 0 60 2 glide 5\n  pitch 0 0, 0.5 3, 1 5\na 1 60 2 glide 5\na 2 60 2 glide 5 linear\n"
       "  volume 0 1, 1 0",
       "a 0 60 2\n  pitch 0 0, 0.5 3, 1 5 linear\na 1 60 2 glide 5\n"
       "a 2 60 2 glide 5 linear vol-ramp 0\n"},
      {"a 1 60 2 glide 5\na 0 60 2 glide 5\n  pitch 0 0, 0.5 3, 1 5",
       "a 0 60 2\n  pitch 0 0, 0.5 3, 1 5 linear\na 1 60 2 glide 5\n"},
  });
}

// How the time grows with the count is measured by bench/linearity.py.
TEST(LayerBody, ManyNotesInReverseOrder) {
  constexpr int count = 100000;
  std::string body;
  for (int i = count - 1; i >= 0; --i) body += "n " + std::to_string(i) + " 60 1\n";
  const std::string written = rewrite(body);
  EXPECT_EQ(written.substr(0, 18), "n 0 60 1\nn 1 60 1\n");
  EXPECT_EQ(written.size(), body.size());
}

TEST(LayerBody, CanonicalText) {
  check({
      {"@volume 0.5 @pan -0.25\n@loop 16\n@mute yes\nlead 0 60 1",
       "@volume 0.5 @pan -0.25 @mute true @loop 16\nlead 0 60 1\n"},
      {"@volume param gain 0.5 @effect compressor 1.5 0.5 -1 @effect delay_sync -1 0.4 0.3\n"
       "lead 2 60 1 \"' la \" arpeggio 0 4 7 rate 8 repeat 3\n  volume 0 0.5, 0.5 1 ease-in, 1 0\n"
       "lead 0 62 0.5 glide -2 ease-out\nmotif hook 16 lead tuning just transpose -1\n"
       "  note 2 volume 0.5 pitch 60 skip\n  note 1 pitch-curve 0 0, 1 2 ease-in\n"
       "  note 0 text \"''x  y\"\n  trim 0 4\nsubtrack drums 0 alt transpose 1\n  note 4 glide 1",
       "@volume param gain 0.5 @effect compressor 1 1 0 0.1 @effect delay_sync 0 0.4 0.3\n"
       "lead 0 62 0.5 glide -2 ease-out\nlead 2 60 1 \"' la \" arpeggio 0 4 7 rate 8 repeat 3\n"
       "  volume 0 0.5, 0.5 1 ease-in, 1 0\nmotif hook 16 lead transpose -1 tuning just\n"
       "  note 2 skip pitch 60 volume 0.5\n  note 1 pitch-curve 0 0, 1 2 ease-in\n"
       "  note 0 text \"x y\"\n  trim 0 4\nsubtrack drums 0 alt transpose 1\n  note 4 glide 1\n"},
      {"@tuning a b @root 415.3 @solo on @effect lowpass param cut 8000 200 @effect reverb 2 0.5 "
       "1.5 -3",
       "@solo true @tuning a b @root 415.3 @effect lowpass param cut 8000 200 @effect reverb 1 0.5 "
       "1 "
       "0\n"},
      {"x 1 1 1\nx 1 1 1\n  pitch 0 0, 0.25 1, 0.75 -1, 1 0\nx -0 1 1\nx 0 1 1",
       "x 0 1 1\nx 0 1 1\nx 1 1 1\nx 1 1 1\n  pitch 0 0, 0.25 1, 0.75 -1, 1 0 linear\n"},
      {"subtrack s 0\nsubtrack s 0 tuning t", "subtrack s 0\nsubtrack s 0 tuning t\n"},
  });
}

// Random layer bodies from a small grammar: directives, notes with exact
// pitch curves, placements with overrides and trims, in any order.
class LayerMaker : testing::Picker {
 public:
  using Picker::Picker;

  std::string body() {
    std::string out;
    const int lines = pick(10);
    for (int i = 0; i < lines; ++i) out += line();
    return out;
  }

 private:
  std::string number() {
    static const char* const numbers[] = {"0",    "1",   "-2",  "0.5",      "0.1",
                                          "3.75", "-0",  "12",  "1.50",     "0.1234567",
                                          "1e2",  "010", "inf", "123456.5", "0.000001"};
    return one_of(numbers);
  }

  std::string directive() {
    static const char* const directives[] = {"@volume 0.5",     "@volume param g 2",
                                             "@volume 1",       "@pan -0.25",
                                             "@mute on",        "@solo yes",
                                             "@loop 8",         "@loop 4 skip 1",
                                             "@tuning just",    "@root 432",
                                             "@root 440",       "@effect echo 0.25 0.5 0.3",
                                             "@effect eq 3 -2", "@effect bitcrusher 40"};
    return one_of(directives);
  }

  std::string note() {
    static const char* const options[] = {"",
                                          " glide 2",
                                          " glide -1 linear",
                                          " volume 0.5",
                                          " vol-ramp 0 ease-in",
                                          " \"la  la\"",
                                          " arpeggio 0 7 rate 8",
                                          " repeat 4"};
    static const char* const gaps[] = {" ", " ", " ", "  ", "\t", " \x0b"};
    std::string out = "lead" + std::string(one_of(gaps)) + number() + one_of(gaps) + number() +
                      one_of(gaps) + "2" + one_of(options) + (pick(4) == 0 ? " \r\n" : "\n");
    if (pick(3) == 0) out += "  pitch 0 0, 0.5 1 ease-in, 1 -1\n";
    if (pick(3) == 0) out += "  volume 0 1, 0.25 0.5, 1 0.1 linear\n";
    return out;
  }

  std::string placement() {
    static const char* const heads[] = {"motif hook ", "subtrack drums ", "subtrack fx "};
    static const char* const tails[] = {"", " transpose 2", " tuning just", " alt"};
    const int head = pick(3);
    std::string out = std::string(heads[head]) + number() + (head == 0 ? " lead" : "");
    const std::string tail = one_of(tails);
    if (head != 0 || tail != " alt") out += tail;
    out += "\n";
    static const char* const overrides[] = {
        "  note 0 skip\n", "  note 2 volume 0.5 pitch 60\n", "  note 1 text \"''a\"\n",
        "  note 3 pitch-curve 0 0, 1 2 linear\n", "  trim 1 3\n"};
    const int count = pick(4);
    for (int i = 0; i < count; ++i) out += one_of(overrides);
    return out;
  }

  std::string line() {
    switch (pick(4)) {
      case 0:
        return directive() + "\n";
      case 1:
        return placement();
      default:
        return note();
    }
  }
};

// The notes and placements a body reads as.
std::size_t notes_in(std::string_view body) {
  const auto layer = LayerSection::parse(lines_of(body));
  if (!layer) return 0;
  const song::Layer& read = layer.value();
  return read.notes.size() + read.motif_instances.size() + read.subtrack_instances.size();
}

TEST(LayerBody, RandomBodiesRoundTrip) {
  LayerMaker maker(7);
  for (int i = 0; i < 500; ++i) {
    const std::string body = maker.body();
    SCOPED_TRACE(body);
    const std::string once = rewrite(body);
    ASSERT_EQ(once.rfind("error", 0), std::string::npos) << once;
    EXPECT_EQ(rewrite(once), once);
    EXPECT_EQ(notes_in(once), notes_in(body));
  }
}

}  // namespace
}  // namespace voromel::track::multisong
