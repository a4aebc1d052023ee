#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "tool_run.h"

// Note lines, note curves, motif bodies and effects as the user meets them:
// a file rewritten by the tool, and the message of a file it cannot read.
namespace voromel::cli::testing {
namespace {

constexpr const char* layer_heading = "# Layers\n\n## a\n";
constexpr const char* motif_heading = "# Motifs\n\n## m\n";

struct Case {
  const char* body;
  const char* written;
};

// Each body under its heading is rewritten once into the expected body, and
// the rewritten file is left alone by a second run.
template <std::size_t n>
void expect_rewrites(const char* heading, const Case (&cases)[n]) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    expect_rewritten_once(std::string(heading) + c.body, std::string(heading) + c.written);
  }
}

// Each body under its heading fails with the message; the file is untouched.
template <std::size_t n>
void expect_errors(const char* heading, const Case (&cases)[n]) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    expect_refused(std::string(heading) + c.body,
                   std::string("Parsing a.track: ") + c.written + "\n");
  }
}

TEST(EndToEndLayers, NoteLines) {
  const Case cases[] = {
      {"lead 0 60 1\n", "lead 0 60 1\n"},
      {"lead 0.0 60.50 1e0\n", "lead 0 60.5 1\n"},
      {"lead 0 60 1 glide 2\n", "lead 0 60 1 glide 2\n"},
      {"lead 0 60 1 glide 2 ease\n", "lead 0 60 1 glide 2\n"},
      {"lead 0 60 1 glide 2 linear\n", "lead 0 60 1 glide 2 linear\n"},
      {"lead 0 60 1 glide 0\n", "lead 0 60 1\n"},
      {"lead 0 60 1 glide 0 linear\n", "lead 0 60 1\n"},
      {"lead 0 60 1 glide 2 volume 0.5\n", "lead 0 60 1 glide 2 volume 0.5\n"},
      {"lead 0 60 1 vol-ramp 1\n", "lead 0 60 1\n"},
      {"lead 0 60 1 volume 1\n", "lead 0 60 1\n"},
      {"lead 0 60 1 volume 0.2 volume 0.8\n", "lead 0 60 1 volume 0.8\n"},
      {"lead 0 60 1 \"la   la\"\n", "lead 0 60 1 \"la la\"\n"},
      {"lead 0 60 1 \" la\" \n", "lead 0 60 1 \" la\"\n"},
      {"lead 0 60 1 \"la \"\n", "lead 0 60 1 \"la \"\n"},
      {"lead 0 60 1 \"'ah\"\n", "lead 0 60 1 \"'ah\"\n"},
      {"lead 0 60 1 \"\"\n", "lead 0 60 1\n"},
      {"lead 0 60 1 \"'\"\n", "lead 0 60 1 \"'\"\n"},
      {"lead 0 60 1 volume 0.5 \"hey\"\n", "lead 0 60 1 \"hey\" volume 0.5\n"},
      {"lead 0 60 1 arpeggio 0 4 7 rate 8\n", "lead 0 60 1 arpeggio 0 4 7 rate 8\n"},
      {"lead 0 60 1 repeat 0\nlead 1 60 1 repeat 1\nlead 2 60 1 repeat 3\n",
       "lead 0 60 1\nlead 1 60 1\nlead 2 60 1 repeat 3\n"},
      {"lead 0 60 2 repeat 3\n  pitch 0 0, 0.5 2, 1 0\n",
       "lead 0 60 2 repeat 3\n  pitch 0 0, 0.5 2, 1 0 linear\n"},
      // "motif" and "subtrack" start placements, never notes.
      {"motif 0 60 1\nsubtrack 0 60 1\n", "motif 0 60 1\nsubtrack 0 60 1\n"},
  };
  expect_rewrites(layer_heading, cases);
}

TEST(EndToEndLayers, NoteCurveLines) {
  const Case cases[] = {
      {"lead 0 60 2\n  pitch 0 0, 0.5 2 ease-in, 1 0\n",
       "lead 0 60 2\n  pitch 0 0, 0.5 2 ease-in, 1 0 linear\n"},
      {"lead 0 60 2\n  pitch 0.5 1, 1 1\n", "lead 0 60 2\n  pitch 0 1, 0.5 1, 1 1 linear\n"},
      {"lead 0 60 1\n  pitch 0 0, 1 2\n", "lead 0 60 1 glide 2\n"},
      {"lead 0 60 1\n  pitch 0 0 linear, 1 2\n", "lead 0 60 1 glide 2 linear\n"},
      {"lead 0 60 1 glide 3\n  pitch 0 0, 1 0\n", "lead 0 60 1\n"},
      {"lead 0 60 1\n  pitch 0 0, 2 5\n", "lead 0 60 2 glide 5\n"},
      {"lead 0 60 1\n  volume 0 1, 0.5 0.2, 1 1 ease\n",
       "lead 0 60 1\n  volume 0 1, 0.5 0.2, 1 1\n"},
      {"lead 0 60 1\n  volume 0 1, 1 0.5\n", "lead 0 60 1 vol-ramp 0.5\n"},
      {"lead 0 60 1\n  pitch 0 0 ,1 2\n", "lead 0 60 1 glide 2\n"},
      {"lead 0 60 1\n  pitch 0 3\n", "lead 0 60 1\n  pitch 0 3, 1 3 linear\n"},
  };
  expect_rewrites(layer_heading, cases);
}

TEST(EndToEndLayers, Effects) {
  const Case cases[] = {
      {"@effect lowpass 800 @effect lowpass param cutoff 8000 200\n",
       "@effect lowpass 800 @effect lowpass param cutoff 8000 200\n"},
      {"@effect eq 3 -2\n@effect eq 3 -2 0.5\n",
       "@effect eq 3 -2 300 3000 @effect eq 3 -2 1 3000\n"},
      {"@effect compressor 0.5 4\n@effect compressor 1.5 0.5 -1\n",
       "@effect compressor 0.5 4 0.005 0.1 @effect compressor 1 1 0 0.1\n"},
      {"@effect reverb 0.5 0.5 0.3\n@effect reverb 2 0.5 1.5 -3\n@effect reverb hall\n",
       "@effect reverb 0.5 0.5 0.3 0.01 @effect reverb 1 0.5 1 0 @effect reverb hall\n"},
      {"@effect bitcrusher 8.9 @effect bitcrusher 40 @effect bitcrusher 0\n",
       "@effect bitcrusher 8 @effect bitcrusher 16 @effect bitcrusher 1\n"},
      {"@effect delay_sync -1 0.4 0.3\n@effect tremolo 4 0.5 extra\n",
       "@effect delay_sync 0 0.4 0.3 @effect tremolo 4 0.5\n"},
  };
  expect_rewrites(layer_heading, cases);
}

TEST(EndToEndLayers, Errors) {
  const Case cases[] = {
      {"lead 0 60\n", "line 4: line 1: note needs duration"},
      {"lead x 60 1\n", "line 4: line 1: invalid number for start: 'x'"},
      // Blank lines after the heading are not part of the body.
      {"\ndrums.wav x\n",
       "line 5: line 1: audio clips were replaced by sampler sounds: define a '## <name>' block "
       "with '@sample \"drums.wav\"' under '# Sounds' and place it as a note"},
      {"kit.v2..FLAC 0 60 1\n",
       "line 4: line 1: audio clips were replaced by sampler sounds: define a '## <name>' block "
       "with '@sample \"kit.v2..FLAC\"' under '# Sounds' and place it as a note"},
      {"lead 0 60 1 arpeggio 0 4 7\n", "line 4: line 1: arpeggio needs 'rate <steps per second>'"},
      {"lead 0 60 1 arpeggio 0 rate 0\n",
       "line 4: line 1: arpeggio needs 'rate <steps per second>'"},
      {"lead 0 60 1 arpeggio rate 8\n",
       "line 4: line 1: invalid number for arpeggio offset: 'rate'"},
      {"lead 0 60 1 repeat -1\n", "line 4: line 1: invalid repeat count '-1'"},
      {"lead 0 60 1 \"open text\n", "line 4: line 1: unterminated note text (missing '\"')"},
      {"lead 0 60 1\n  pitch\n", "line 5: line 2: note curve needs points"},
      {"lead 0 60 1\n  pitch 0 0,\n", "line 5: line 2: envelope point needs '<x> <y> [curve]'"},
      {"lead 0 60 1\n  pitch 0 0 1 2\n", "line 5: line 2: envelope point needs '<x> <y> [curve]'"},
      {"lead 0 60 1\n  pitch 0 x\n", "line 5: line 2: invalid number for envelope y: 'x'"},
      {"@effect reverb\n", "line 4: line 1: effect 'reverb' missing room_size"},
      {"@effect echo 0.25 0.5\n", "line 4: line 1: effect 'echo' missing mix"},
      {"@effect echo x 0.5 0.3\n", "line 4: line 1: invalid number for delay: 'x'"},
      {"@effect chorus 1\n", "line 4: line 1: unknown effect 'chorus'"},
      {"@effect Lowpass 800\n", "line 4: line 1: unknown effect 'Lowpass'"},
  };
  expect_errors(layer_heading, cases);
}

TEST(EndToEndLayers, Directives) {
  const Case cases[] = {
      {"@volume 0.5 @pan -0.25\n@loop 16\n@mute yes\nlead 0 60 1\n",
       "@volume 0.5 @pan -0.25 @mute true @loop 16\nlead 0 60 1\n"},
      {"@volume 1\n@pan 0\n@root 440\n@loop 8 skip 0\n", "@loop 8\n"},
      {"@volume 0.5 extra\n", "@volume 0.5\n"},
      {"@volume param gain 1\n", "@volume param gain\n"},
      {"@volume param gain 0.5\n", "@volume param gain 0.5\n"},
      {"@mute\n@solo on\n", "@solo true\n"},
      {"@tuning\n", "@tuning \n"},
      {"@\n@ 1\n", ""},
      {"b 1 60 1\na 0 60 1\nc 1 62 1\n", "a 0 60 1\nb 1 60 1\nc 1 62 1\n"},
      // Placements follow the notes; a directive line between a note and its
      // curve does not detach the curve.
      {"motif m 0 s\nlead 0 60 1\n@pan 1\n  volume 0 1, 1 0\n",
       "@pan 1\nlead 0 60 1 vol-ramp 0\nmotif m 0 s\n"},
  };
  expect_rewrites(layer_heading, cases);
}

TEST(EndToEndLayers, Placements) {
  const Case cases[] = {
      {"motif hook 16 lead transpose 2\n  note 0 pitch 64 volume 0.8\n  note 3 skip\n  trim 0 4\n",
       "motif hook 16 lead transpose 2\n  note 0 pitch 64 volume 0.8\n  note 3 skip\n"
       "  trim 0 4\n"},
      {"motif hook 16 lead transpose 0\n", "motif hook 16 lead\n"},
      {"motif hook 16 lead tuning just transpose -1\n",
       "motif hook 16 lead transpose -1 tuning just\n"},
      {"subtrack drums 0\nsubtrack drums 0 alt transpose 1\n",
       "subtrack drums 0\nsubtrack drums 0 alt transpose 1\n"},
      {"subtrack s 0\n\tnote 2 volume 0.5 pitch 60 skip\n  trim 1 2\n  trim 3 4\n",
       "subtrack s 0\n  note 2 skip pitch 60 volume 0.5\n  trim 3 4\n"},
      {"motif m 0 s\n  note 1 pitch-curve 0 0, 1 2\n  note 1 text \"''a\"\n  note 2 text \"\"\n",
       "motif m 0 s\n  note 1 pitch-curve 0 0, 1 2\n  note 1 text \"a\"\n  note 2 text \"\"\n"},
  };
  expect_rewrites(layer_heading, cases);
}

// Errors of directive, placement and override lines name the file line and
// the line within the block; the two body errors name the file line alone.
TEST(EndToEndLayers, DirectiveAndPlacementErrors) {
  const Case cases[] = {
      {"lead 0 60 1\n\n@pan 1 @gain 2\n", "line 6: line 3: unknown layer directive 'gain'"},
      {"@Volume 1\n", "line 4: line 1: unknown layer directive 'Volume'"},
      {"@loop 8 fast\n", "line 4: line 1: unexpected loop token 'fast'"},
      {"@pan 0.5 0.7\n", "line 4: line 1: invalid number for pan: '0.5 0.7'"},
      {"motif hook 16 lead\n  pitch 0 0, 1 2\n",
       "line 5: indented pitch/volume curve without a preceding note"},
      {"lead 0 60 1\n  note 1 skip\n",
       "line 5: indented override without a preceding motif or subtrack instance"},
      {"motif hook 16\n", "line 4: line 1: motif needs a sound"},
      {"subtrack drums 0 transpose 1 alt\n", "line 4: line 1: unexpected subtrack token 'alt'"},
      {"motif m 0 s\n  note 1 pitch-curve 0 0, 1 2 skip\n",
       "line 5: line 2: unknown curve 'skip' (expected linear, ease-in, ease-out or ease)"},
      {"motif m 0 s\n  note 1 color 5\n", "line 5: line 2: unknown override field 'color'"},
      {"motif m 0 s\n  Note 1 skip\n",
       "line 5: line 2: placement override must be 'note' or 'trim', got 'Note'"},
      {"subtrack s 0\n  trim 2 4 6\n", "line 5: line 2: trim takes only <from> <count>"},
  };
  expect_errors(layer_heading, cases);
}

TEST(EndToEndMotifs, Bodies) {
  const Case cases[] = {
      {"0 60 0.5\n0.5 62 0.5 volume 0.8\n1 64 1 glide -2\n  volume 0 1, 0.5 0.2, 1 0 linear\n",
       "0 60 0.5\n0.5 62 0.5 volume 0.8\n1 64 1 glide -2\n  volume 0 1, 0.5 0.2, 1 0 linear\n"},
      {"1 64 1\n0 60 1\n", "1 64 1\n0 60 1\n"},
      {"0 60 1\n  volume 0 1, 1 0\n", "0 60 1 vol-ramp 0\n"},
      {"0 60 1\n\n  pitch 0 0, 1 3\n", "0 60 1 glide 3\n"},
      {"0 60 1\n  pitch 0 0, 0.5 3, 1 0\n", "0 60 1\n  pitch 0 0, 0.5 3, 1 0 linear\n"},
      {"", ""},
  };
  expect_rewrites(motif_heading, cases);
}

TEST(EndToEndMotifs, Errors) {
  const Case cases[] = {
      {"0 60\n", "line 4: line 1: motif note needs duration"},
      {"lead 0 60 1\n", "line 4: line 1: invalid number for start: 'lead'"},
      {"@volume 1\n", "line 4: line 1: invalid number for start: '@volume'"},
      {"  volume 0 1, 1 0\n0 60 1\n", "line 4: indented curve without a preceding motif note"},
      {"0 60 1\n  note 1 skip\n", "line 5: indented motif line must be a 'pitch'/'volume' curve"},
      {"0 60 1\n  @volume 1\n", "line 5: indented motif line must be a 'pitch'/'volume' curve"},
      {"0 60 1\n\n  pitch 0 x\n", "line 6: line 3: invalid number for envelope y: 'x'"},
  };
  expect_errors(motif_heading, cases);
}

}  // namespace
}  // namespace voromel::cli::testing
