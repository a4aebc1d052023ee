#include "voromel/voromel.h"
#include "voromel/structure.h"

#include <gtest/gtest.h>

#include <functional>
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
  // The model is plain data: what was written reads back equal (the blank
  // line written after the leading lines reads back as one of them).
  const TrackDocument reread = read_model(written.value().c_str());
  EXPECT_TRUE(reread.sections == changed.sections && reread.meta == changed.meta);
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
       "the written text would not read back the same: its line 14, 'bass 0 36 1 \"a  b\"', "
       "reads back as something else"},
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
    // A document that fails to lift is left as it was.
    auto document = Document::read(c.text);
    ASSERT_TRUE(document.has_value());
    const TrackDocument before = document.value().model();
    EXPECT_FALSE(document.value().upgrade("demo").has_value());
    EXPECT_TRUE(document.value().model() == before);
  }
}

TEST(Version, MatchesThePackage) {
  EXPECT_STREQ(VOROMEL_VERSION, "0.2.0");
  EXPECT_EQ(VOROMEL_VERSION_MAJOR * 10000 + VOROMEL_VERSION_MINOR * 100 + VOROMEL_VERSION_PATCH,
            200);
}

}  // namespace
}  // namespace voromel
