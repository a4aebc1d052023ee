#include "voromel/voromel.h"
#include "voromel/structure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace voromel {
namespace {

const char* const demo =
    "# Songs\n## main\n@layer bass\n@tempo 120\n# Layers\n## bass\nbass 0 36 1\n"
    "# Meta\n@title Demo\n";

TrackDocument read_model(const char* text) {
  auto document = Document::read(text);
  EXPECT_TRUE(document.has_value()) << document.error().message();
  return document ? document.value().model() : TrackDocument{};
}

// The model owns its text: a copy outlives its document, and a name or a
// line added from a string that then goes away is safe.
TEST(OwningDocument, CopiesAndAddedNamesStandAlone) {
  std::optional<TrackDocument> copy;
  {
    auto read = Document::read(demo);
    ASSERT_TRUE(read.has_value()) << read.error().message();
    copy = read.value().model();
  }
  {
    std::string name = "intro that is longer than a short string";
    name.resize(5);
    copy->sections.songs.find("main")->value.markers.push_back({name, 4});
    copy->leading_lines.push_back(name);
  }
  const TrackDocument changed = *copy;
  const auto written = Document::from_model(std::move(*copy)).write();
  ASSERT_TRUE(written.has_value()) << written.error().message();
  EXPECT_EQ(written.value(),
            "intro\n\n# Meta\n\n@title Demo\n\n# Songs\n\n## main\n@tempo 120\n@layer bass\n"
            "@marker 4 intro\n\n# Layers\n\n## bass\nbass 0 36 1\n");
  // The model is plain data: what was written reads back equal (the empty
  // line written after the leading lines reads back as one of them).
  const TrackDocument reread = read_model(written.value().c_str());
  EXPECT_EQ(reread.sections, changed.sections);
  EXPECT_EQ(reread.meta, changed.meta);
  EXPECT_EQ(reread.leading_lines, (std::vector<std::string>{"intro", ""}));
}

TEST(OwningDocument, ChangedModelIsWrittenCanonically) {
  const std::string canonical =
      "# Meta\n\n@title Demo\n\n# Songs\n\n## main\n@tempo 90\n@layer bass\n\n"
      "# Layers\n\n## bass\nbass 0 36 1\n";
  auto document = Document::read(demo);
  ASSERT_TRUE(document.has_value()) << document.error().message();
  document.value().model().sections.songs.find("main")->value.tempo = 90;
  EXPECT_EQ(document.value().model().sections.songs.find("intro"), nullptr);
  const auto written = document.value().write();
  ASSERT_TRUE(written.has_value()) << written.error().message();
  EXPECT_EQ(written.value(), canonical);

  const auto formatted = format(canonical);
  ASSERT_TRUE(formatted.has_value());
  EXPECT_FALSE(formatted.value().changed);
  EXPECT_EQ(formatted.value().text, canonical);
  const auto reformatted = format(demo);
  ASSERT_TRUE(reformatted.has_value());
  EXPECT_TRUE(reformatted.value().changed);
  EXPECT_EQ(reformatted.value().text,
            "# Meta\n\n@title Demo\n\n# Songs\n\n## main\n@tempo 120\n@layer bass\n\n"
            "# Layers\n\n## bass\nbass 0 36 1\n");
}

TEST(OwningDocument, ErrorsCarryTheToolsMessagesAndTheirPlace) {
  struct Case {
    const char* text;
    Error::Kind kind;
    const char* message;
    std::optional<std::size_t> line;
    std::optional<BlockName> block;
  } cases[] = {
      {"## orphan\n", Error::Kind::Unreadable, "subheader without an enclosing header", 1, {}},
      // An overlong space, which is not UTF-8 at all.
      {"# Layers\n## a\nlead\xC0\xA0"
       "0 60 1\n",
       Error::Kind::Unreadable,
       "stream did not contain valid UTF-8",
       {},
       {}},
      {"# Layers\n## a\n@pan x\n", Error::Kind::Unreadable,
       "line 3: line 1: invalid number for pan: 'x'", 3, BlockName{"Layers", "a"}},
      // Song blocks count lines from the start of their body.
      {"# Meta\n@title x\n# Songs\n## main\n\n@tempo 1\n@marker x y\n", Error::Kind::Unreadable,
       "line 2: invalid number for marker beat: 'x'", 7, BlockName{"Songs", "main"}},
      {"# Subtitles\n## s\n1 a\ntwelve b\n", Error::Kind::Unreadable,
       "line 2: invalid number for subtitle beat: 'twelve'", 4, BlockName{"Subtitles", "s"}},
      {"# Meta\n@title\n", Error::Kind::Unreadable, "meta '@title' needs a value", 2, {}},
      {"# Motifs\n\n## x\n0 60 83.425\n  pitch 74 -.5e-1 linear, -0.00012896182 "
       "148433500607357091053568, 1.4e-45 -2.5931212e-36\n",
       Error::Kind::Refused,
       "line 5: the pitch movement of this note cannot be written so that it reads back the "
       "same: use x values rising from 0 to 1, finite offsets and a duration above 0",
       5, BlockName{"Motifs", "x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto document = Document::read(c.text);
    const auto formatted = format(c.text);
    for (const Error* error : {&document.error(), &formatted.error()}) {
      EXPECT_EQ(error->kind(), c.kind);
      EXPECT_EQ(error->message(), c.message);
      EXPECT_EQ(error->line(), c.line);
      EXPECT_EQ(error->block(), c.block);
    }
  }
}

TEST(OwningDocument, FormatRefusesWhatTheToolRefusesWithItsPlace) {
  struct Case {
    const char* text;
    const char* message;
    std::size_t line;
    BlockName block;
    TextSpan span;
  } cases[] = {
      {"# Layers\n## a\n@volume 1\n### more\nx\n",
       "'### more' sits inside '## a' of '# Layers', where nothing reads it: move its lines "
       "into the block or into a '## <name>' block of its own",
       4, BlockName{"Layers", "a"}, TextSpan{24, 32}},
      {"# Sounds\n\n''\n\n## a\nsine 1\n",
       "'''' sits before the first block of '# Sounds', where nothing reads it: move it into a "
       "'## <name>' block under '# Sounds'",
       3, BlockName{"Sounds", ""}, TextSpan{10, 12}},
      {"\xEF\xBB\xBF# Meta\n## Tags\na\n### b\n",
       "'### b' sits inside '## Tags' of '# Meta', where nothing reads it: move its lines into "
       "the block",
       4, BlockName{"Meta", "Tags"}, TextSpan{20, 25}},
      {"# Meta\n@title A\n# Meta\n@title B\n",
       "'# Meta' appears 2 times and only the last would be kept: merge them into one '# Meta' "
       "section",
       3, BlockName{"Meta", ""}, TextSpan{18, 22}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto formatted = format(c.text);
    ASSERT_FALSE(formatted.has_value());
    EXPECT_EQ(formatted.error().kind(), Error::Kind::Refused);
    EXPECT_EQ(formatted.error().message(), c.message);
    EXPECT_EQ(formatted.error().line(), c.line);
    EXPECT_EQ(formatted.error().block(), c.block);
    EXPECT_EQ(formatted.error().span(), c.span);
  }
}

// Names where the readers read them, white space and numbers included; a
// block that does not read keeps the others' names.
TEST(Structure, NamesWhereTheReadersReadThem) {
  const std::string text =
      "# Songs\n## main\n@param speed 1\n@marker 4 drop\n@jump-at drop 0 if speed > 1\n"
      "@layer\xC2\xA0lead\n# Layers\xE3\x80\x80\n## lead\n@effect reverb +-5\nsub 0 60 1\n"
      "bad line\n## pad\nbell 0 60 1\n";
  const Structure structure = structure_of(text);
  struct Name {
    NameKind kind;
    bool defines;
    std::string text;
  };
  const std::vector<Name> expected = {
      {NameKind::Parameter, true, "speed"},   {NameKind::Marker, true, "drop"},
      {NameKind::Marker, false, "drop"},      {NameKind::Parameter, false, "speed"},
      {NameKind::Layer, false, "lead"},       {NameKind::Layer, true, "lead"},
      {NameKind::ReverbPreset, false, "+-5"}, {NameKind::Sound, false, "sub"},
      {NameKind::Layer, true, "pad"},         {NameKind::Sound, false, "bell"},
  };
  ASSERT_EQ(structure.names.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].text);
    const NamePlace& name = structure.names[i];
    EXPECT_EQ(name.kind, expected[i].kind);
    EXPECT_EQ(name.defines, expected[i].defines);
    EXPECT_EQ(text.substr(name.span.begin, name.span.end - name.span.begin), expected[i].text);
  }
  // A directive's word ends at any white space the readers take, the
  // no-break space included.
  std::vector<std::string> directives;
  for (const TextSpan& word : structure.directives)
    directives.push_back(text.substr(word.begin, word.end - word.begin));
  EXPECT_EQ(directives,
            (std::vector<std::string>{"@param", "@marker", "@jump-at", "@layer", "@effect"}));
  ASSERT_EQ(structure.sections.size(), 2u);
  EXPECT_EQ(structure.sections[1].kind, SectionKind::Layers);
  EXPECT_EQ(structure.sections[1].line, 7u);
  ASSERT_EQ(structure.sections[1].blocks.size(), 2u);
  EXPECT_FALSE(structure.sections[1].blocks[0].reads);
  EXPECT_TRUE(structure.sections[1].blocks[1].reads);
  EXPECT_EQ(structure.sections[1].blocks[1].end_line, 14u);
  EXPECT_EQ(structure.lines,
            (std::vector<LineKind>{LineKind::SectionHeading, LineKind::BlockHeading,
                                   LineKind::Directive, LineKind::Directive, LineKind::Directive,
                                   LineKind::Directive, LineKind::SectionHeading,
                                   LineKind::BlockHeading, LineKind::Directive, LineKind::Content,
                                   LineKind::Content, LineKind::BlockHeading, LineKind::Content}));
}

// The names of `structure` on the 1-based lines [first, end) of `text`.
std::vector<NamePlace> names_within(std::string_view text, const Structure& structure,
                                    std::size_t first, std::size_t end) {
  std::vector<NamePlace> names;
  for (const NamePlace& name : structure.names) {
    const auto line = static_cast<std::size_t>(
        1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(name.span.begin),
                       '\n'));
    if (line >= first && line < end) names.push_back(name);
  }
  return names;
}

// A reading brought up to date change by change gives what a whole read of
// each text gives.
TEST(Structure, AReadingFollowsChangesAsAWholeReadWould) {
  const std::string start =
      "# Meta\n@title T\n# Songs\n## main\n@tempo 90\n@layer lead\n\n# Layers\n## lead\n"
      "piano 0 60 1\nmotif hook 2 piano\n## pad\n@tuning just\nbell 0 61 2\n# Tunings\n"
      "## just\n1 1.5\n# Motifs\n## hook\n0 60 1\n# Notes\n## any\ntext\n";
  const std::string alphabet = "0 1\n#x@";
  const std::vector<NameKind> kinds = {NameKind::Layer, NameKind::Motif, NameKind::Tuning};
  std::mt19937 random(27);
  std::string text = start;
  Reading reading;
  for (int step = 0; step < 600; ++step) {
    if (step % 40 == 0) text = start;
    const std::size_t at = random() % (text.size() + 1);
    if (random() % 2 == 0 && at < text.size()) {
      text.erase(at, 1);
    } else {
      text.insert(at, 1, alphabet[random() % alphabet.size()]);
    }
    reading.read(text);
    SCOPED_TRACE(text);
    const auto whole = format(text);
    ASSERT_EQ(reading.problem().has_value(), !whole.has_value());
    if (!whole) {
      EXPECT_EQ(reading.problem()->message(), whole.error().message());
      EXPECT_EQ(reading.problem()->line(), whole.error().line());
      EXPECT_EQ(reading.problem()->block(), whole.error().block());
      EXPECT_EQ(reading.problem()->span(), whole.error().span());
    }
    Reading fresh;
    fresh.read(text);
    EXPECT_EQ(reading.undefined_uses(kinds), fresh.undefined_uses(kinds));
    // A window of lines taken from the reading holds what a whole read holds there.
    const std::size_t first = 1 + random() % 24;
    const std::size_t end = first + 1 + random() % 6;
    const Structure window = reading.structure(first, end);
    const Structure whole_read = structure_of(text, first, end);
    EXPECT_EQ(names_within(text, window, first, end), names_within(text, whole_read, first, end));
    for (std::size_t line = std::max(first, window.first_line);
         line < std::min(end, window.first_line + window.lines.size()); ++line) {
      EXPECT_EQ(window.lines[line - window.first_line], whole_read.lines[line - 1]) << line;
    }
  }
}

// What a write refuses rather than give a text that reads back as something
// else, or not at all.
TEST(OwningDocument, WriteRefusesWhatWouldNotReadBack) {
  using Change = std::function<void(TrackDocument&)>;
  const auto song = [](TrackDocument& model) -> song::Song& {
    return model.sections.songs.find("main")->value;
  };
  const auto note = [](TrackDocument& model) -> song::Note& {
    return model.sections.layers.find("bass")->value.notes.at(0);
  };
  const auto sound = [](TrackDocument& model) -> song::Sound& {
    return model.sections.sounds.items.at(0).value;
  };
  const char* const sounds = "# Sounds\n## lead\nsine 1\n";
  using enum song::JumpCondition::Source;
  using enum song::Comparison;
  const auto conditional = [](song::JumpCondition condition) {
    song::Jump jump;
    jump.target = "0";
    jump.condition = condition;
    return jump;
  };
  struct Case {
    const char* name;
    const char* text;
    Change change;
    const char* message;
  } cases[] = {
      {"sub-block", "# Layers\n## a\n### b\n", [](TrackDocument&) {},
       "'### b' sits inside '## a' of '# Layers', where nothing reads it: move its lines into "
       "the block or into a '## <name>' block of its own"},
      {"two metas", "# Meta\n@title a\n# Meta\n@title b\n", [](TrackDocument&) {},
       "'# Meta' appears 2 times and only the last would be kept: merge them into one '# Meta' "
       "section"},
      {"sound with a space", demo, [&](TrackDocument& m) { note(m).sound = "my bass"; },
       "note sound 'my bass' in '## bass' of '# Layers' holds white space, which would end it"},
      {"sound as a directive", demo, [&](TrackDocument& m) { note(m).sound = "@volume"; },
       "note sound '@volume' in '## bass' of '# Layers' starts with '@', which would read back "
       "as a directive"},
      {"text with a line end", demo, [&](TrackDocument& m) { note(m).text = "a\nb"; },
       "note text 'a\\nb' in '## bass' of '# Layers' holds a line end"},
      {"text of two spaces", demo, [&](TrackDocument& m) { note(m).text = "a  b"; },
       "note 1 of '## bass' in '# Layers': text 'a  b' would read back as 'a b'"},
      {"sound as the motif keyword", demo, [&](TrackDocument& m) { note(m).sound = "motif"; },
       "note sound 'motif' in '## bass' of '# Layers' is a keyword, which would read back as a "
       "motif placement"},
      {"sound as the subtrack keyword", demo, [&](TrackDocument& m) { note(m).sound = "subtrack"; },
       "note sound 'subtrack' in '## bass' of '# Layers' is a keyword, which would read back as "
       "a subtrack placement"},
      {"condition on a parameter named random", demo,
       [&](TrackDocument& m) {
         song(m).jumps.push_back(conditional({Parameter, "random"}));
       },
       "jump 1 of '## main' in '# Songs': condition parameter 'random' would read back as the "
       "built-in source"},
      {"condition on a parameter named plays", demo,
       [&](TrackDocument& m) {
         song(m).jump_ats.push_back({conditional({Parameter, "plays"}), {}});
       },
       "jump-at 1 of '## main' in '# Songs': condition parameter 'plays' would read back as the "
       "built-in source"},
      {"plays of 1.5", demo,
       [&](TrackDocument& m) {
         song(m).jumps.push_back(conditional({Plays, "", Less, 1.5f}));
       },
       "jump 1 of '## main' in '# Songs': plays condition value '1.5' is not a whole number from "
       "0 to 4294967295, which is all the text can give"},
      {"plays of -1", demo,
       [&](TrackDocument& m) {
         song(m).jumps.push_back(conditional({Plays, "", Less, -1}));
       },
       "jump 1 of '## main' in '# Songs': plays condition value '-1' is not a whole number from "
       "0 to 4294967295, which is all the text can give"},
      {"plays of 1e20", demo,
       [&](TrackDocument& m) {
         song(m).jumps.push_back(conditional({Plays, "", Less, 1e20f}));
       },
       "jump 1 of '## main' in '# Songs': plays condition value '100000002004087734272' is not a "
       "whole number from 0 to 4294967295, which is all the text can give"},
      {"jump-at a marker named 3", demo,
       [&](TrackDocument& m) {
         song::JumpAt jump;
         jump.target = "0";
         jump.position = song::SongPosition::at_marker("3");
         song(m).jump_ats.push_back(jump);
       },
       "jump-at 1 of '## main' in '# Songs': position marker '3' is a number, which would read "
       "back as a beat"},
      {"ensemble of 1", sounds, [&](TrackDocument& m) { sound(m).ensemble = 1; },
       "'## lead' in '# Sounds': ensemble '1' would read back as '0'"},
      {"attack of -1, linear", sounds,
       [&](TrackDocument& m) {
         sound(m).attack = {-1, song::Curve::linear()};
       },
       "'## lead' in '# Sounds': attack duration '-1' would read back as '0'"},
      {"arpeggio rate without offsets", demo, [&](TrackDocument& m) { note(m).arpeggio.rate = 8; },
       "note 1 of '## bass' in '# Layers': arpeggio rate '8' would read back as '0'"},
      {"motif note with a sound", "# Motifs\n## m\n0 60 1\n",
       [](TrackDocument& m) { m.sections.motifs.items.at(0).value.notes.at(0).sound = "lead"; },
       "note 1 of '## m' in '# Motifs': sound 'lead' would read back as ''"},
      {"repeat of 1", demo, [&](TrackDocument& m) { note(m).repeat = 1; },
       "note 1 of '## bass' in '# Layers': repeat '1' would read back as '0'"},
      {"loop skip without a loop", demo,
       [](TrackDocument& m) { m.sections.layers.items.at(0).value.loop_skip = 2; },
       "'## bass' in '# Layers': loop skip '2' would read back as '0'"},
      {"volume of NaN", demo,
       [&](TrackDocument& m) { note(m).volume = std::numeric_limits<float>::quiet_NaN(); },
       "note 1 of '## bass' in '# Layers': volume 'nan' (bits 0x7fc00000) would read back as "
       "'1'"},
      {"pan of -0", demo, [](TrackDocument& m) { m.sections.layers.items.at(0).value.pan = -0.0f; },
       "'## bass' in '# Layers': pan '-0' would read back as '0'"},
      {"notes out of order", demo,
       [&](TrackDocument& m) {
         song::Note early = note(m);
         early.start = -1;
         m.sections.layers.items.at(0).value.notes.push_back(early);
       },
       "notes of '## bass' in '# Layers' must be in start order"},
      {"markers out of order", demo,
       [&](TrackDocument& m) {
         song(m).markers = {{"b", 2}, {"a", 1}};
       },
       "markers of '## main' in '# Songs' must be in beat order"},
      {"parameters out of order", demo,
       [&](TrackDocument& m) {
         song(m).params = {{"b", 2}, {"a", 1}};
       },
       "parameters of '## main' in '# Songs' must be in name order"},
      {"subtitles out of order", "# Subtitles\n## s\n1 a\n2 b\n",
       [](TrackDocument& m) {
         auto& lines = m.sections.subtitles.items.at(0).value.subtitles;
         std::swap(lines.at(0), lines.at(1));
       },
       "subtitles of '## s' in '# Subtitles' must be in beat order"},
      {"numeric marker", demo,
       [&](TrackDocument& m) {
         song(m).markers.push_back({"12", 1});
       },
       "marker name '12' in '## main' of '# Songs' is a number, which would read back as a beat"},
      {"marker of two words", demo,
       [&](TrackDocument& m) {
         song(m).markers.push_back({"two words", 1});
       },
       "marker name 'two words' in '## main' of '# Songs' holds white space, which would end it"},
      {"repeated marker", demo,
       [&](TrackDocument& m) {
         song(m).markers.push_back({"x", 1});
         song(m).markers.push_back({"x", 2});
       },
       "marker name 'x' in '## main' of '# Songs' is repeated"},
      {"repeated parameter", demo,
       [&](TrackDocument& m) {
         song(m).params.push_back({"p", 1});
         song(m).params.push_back({"p", 2});
       },
       "parameter name 'p' in '## main' of '# Songs' is repeated"},
      {"block name with a heading", demo,
       [](TrackDocument& m) { m.sections.layers.items.at(0).name = "a\n# Evil"; },
       "block name 'a\\n# Evil' of '# Layers' holds a line end"},
      {"block name with an edge space", demo,
       [](TrackDocument& m) { m.sections.layers.items.at(0).name = "a "; },
       "block name 'a ' of '# Layers' has white space at an edge, which would be dropped"},
      {"leading heading", demo, [](TrackDocument& m) { m.leading_lines.push_back("# x"); },
       "line '# x' before the first heading starts with '#', which would read back as a "
       "heading"},
      {"leading line ending in a carriage return", demo,
       [](TrackDocument& m) { m.leading_lines.push_back("x\r"); },
       "line 'x\\r' before the first heading ends in a carriage return, which would be "
       "dropped"},
      {"empty title", demo, [](TrackDocument& m) { m.meta.title = ""; },
       "title '' of '# Meta' is empty"},
      {"description line as a heading", demo,
       [](TrackDocument& m) { m.meta.description = "a\n#b"; },
       "description 'a\\n#b' of '# Meta' has a line that starts with '#', which would read "
       "back as a heading"},
      {"subtitle text with a line end", "# Subtitles\n## s\n1 a\n",
       [](TrackDocument& m) {
         m.sections.subtitles.items.at(0).value.subtitles.at(0).text = "a\n# b";
       },
       "subtitle text 'a\\n# b' in '## s' of '# Subtitles' holds a line end"},
      {"snapshot parameter of two words", "# Snapshots\n## s\nvolume 1\n",
       [](TrackDocument& m) { m.sections.snapshots.items.at(0).value.values["a b"] = 2; },
       "parameter name 'a b' in '## s' of '# Snapshots' holds white space, which would end it"},
      {"beat unit 0", demo, [&](TrackDocument& m) { song(m).beat_unit = 0; },
       "'## main' of '# Songs' would not read back: line 2: invalid positive integer for "
       "beat_unit: '0'"},
      {"arpeggio without rate", demo, [&](TrackDocument& m) { note(m).arpeggio.offsets = {3}; },
       "'## bass' of '# Layers' would not read back: line 14: line 1: arpeggio needs 'rate "
       "<steps per second>'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackDocument model = read_model(c.text);
    c.change(model);
    const auto written = Document::from_model(std::move(model)).write();
    ASSERT_FALSE(written.has_value()) << written.value();
    EXPECT_EQ(written.error().kind(), Error::Kind::Refused);
    EXPECT_EQ(written.error().message(), c.message);
  }
}

// A document read and left unchanged is written as the tool writes it, also
// where the text gives values that the canonical text leaves out.
TEST(OwningDocument, ReadDocumentsAreWrittenAsTheToolWritesThem) {
  const char* texts[] = {
      "# Songs\n## main\n@jump chorus -0\n@marker 1 chorus\n",
      "# Layers\n## a\n@pan -0\n@volume 1.0000001\nlead 0 60 1 repeat 1\n",
      "# Sounds\n## lead\nsine 1\n@attack -1 linear\n",
      "intro\n# Layers\n## a\nlead 0 60 1\n",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const auto formatted = format(text);
    ASSERT_TRUE(formatted.has_value()) << formatted.error().message();
    const auto written = Document::from_model(read_model(text)).write();
    ASSERT_TRUE(written.has_value()) << written.error().message();
    EXPECT_EQ(written.value(), formatted.value().text);
  }
}

// Floats are the same when their bits are, as the text writes them.
TEST(OwningDocument, ModelsCompareAsTheTextWritesThem) {
  TrackDocument model = read_model(demo);
  song::Note& note = model.sections.layers.find("bass")->value.notes.at(0);
  note.pitch = std::numeric_limits<float>::quiet_NaN();
  const auto written = Document::from_model(model).write();
  ASSERT_TRUE(written.has_value()) << written.error().message();
  TrackDocument reread = read_model(written.value().c_str());
  reread.leading_lines = model.leading_lines;
  EXPECT_EQ(reread, model);
  EXPECT_NE(reread, read_model(demo));
  song::Note positive = note;
  positive.pitch = 0;
  song::Note negative = note;
  negative.pitch = -0.0f;
  EXPECT_NE(positive, negative);
}

TEST(OwningDocument, ReadingTheWrongSideOfAResultStops) {
  const auto failed = Document::read("## orphan\n");
  EXPECT_DEATH((void)failed.value(),
               "voromel: the value of a Result that holds an error was read \\(check "
               "has_value\\(\\) first\\)");
  const auto read = Document::read(demo);
  EXPECT_DEATH((void)read.error(), "voromel: the error of a Result that holds a value was read");
}

TEST(UpgradeText, LiftsOrSaysWhyNot) {
  struct Case {
    const char* text;
    const char* written;  // empty: nothing to lift
  } lifted[] = {
      {"@tempo 100\n# Sounds\nlead: sine 1, attack 0.01\n",
       "# Songs\n\n## demo\n@tempo 100\n\n# Sounds\n\n## lead\nsine 1\n@attack 0.01\n"},
      {"# Songs\n## a\n", ""},
  };
  for (const Case& c : lifted) {
    SCOPED_TRACE(c.text);
    auto upgraded = upgrade(c.text, "demo");
    ASSERT_TRUE(upgraded.has_value()) << upgraded.error().message();
    EXPECT_EQ(upgraded.value().value_or(""), c.written);
  }
  struct Failure {
    const char* text;
    Error::Kind kind;
    const char* message;
  } failures[] = {
      {"@tempo 90\n# My Song\n", Error::Kind::NotUpgradable,
       "'# My Song' is a pre-0.13 header carrying its name, older than this upgrade handles: "
       "rewrite it as a '## <name>' block under a plural section header by hand first"},
      {"@tempo 100\n# Layers\n## a\n### b\n", Error::Kind::Refused,
       "'### b' sits inside '## a' of '# Layers', where nothing reads it: move its lines into the "
       "block or into a '## <name>' block of its own"},
      // The sounds are lifted before the song fails.
      {"@tempo x\n# Sounds\nlead: sine 1\n", Error::Kind::NotUpgradable,
       "line 1: invalid number for tempo: 'x'"},
  };
  for (const Failure& c : failures) {
    SCOPED_TRACE(c.text);
    auto upgraded = upgrade(c.text, "demo");
    ASSERT_FALSE(upgraded.has_value());
    EXPECT_EQ(upgraded.error().kind(), c.kind);
    EXPECT_EQ(upgraded.error().message(), c.message);
    auto document = Document::read(c.text);
    ASSERT_TRUE(document.has_value());
    EXPECT_FALSE(document.value().upgrade("demo").has_value());
  }
}

TEST(Version, MatchesThePackage) {
  EXPECT_STREQ(VOROMEL_VERSION, "0.2.0");
  EXPECT_EQ(VOROMEL_VERSION_MAJOR * 10000 + VOROMEL_VERSION_MINOR * 100 + VOROMEL_VERSION_PATCH,
            200);
}

}  // namespace
}  // namespace voromel
