#include "voromel/voromel.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace voromel {
namespace {

// Short enough for the string's own buffer, which moves with it: the
// document must keep the bytes its model views where they are.
TEST(OwningDocument, KeepsItsViewsWhenMoved) {
  auto read = Document::read("x\n# Songs\nat\n");
  ASSERT_TRUE(read.has_value()) << read.error().message();
  Document document = std::move(read).value();
  std::vector<Document> moved;
  moved.push_back(std::move(document));
  moved.reserve(8);
  TrackDocument& model = moved.front().model();
  model.leading_lines.push_back(moved.front().keep("y"));
  EXPECT_EQ(moved.front().write(), "x\ny\n\n# Songs\n\nat\n");
}

TEST(OwningDocument, ChangedModelIsWrittenCanonically) {
  const std::string text = "# Songs\n## main\n@layer bass\n@tempo 120\n# Meta\n@title Demo\n";
  const std::string canonical =
      "# Meta\n\n@title Demo\n\n# Songs\n\n## main\n@tempo 90\n@layer bass\n";
  auto document = Document::read(text);
  ASSERT_TRUE(document.has_value()) << document.error().message();
  document.value().model().sections.songs.items.at(0).value.tempo = 90;
  EXPECT_EQ(document.value().write(), canonical);
  auto formatted = format(canonical);
  ASSERT_TRUE(formatted.has_value());
  EXPECT_TRUE(formatted.value().same_as_input);
  EXPECT_EQ(formatted.value().text, "");
}

TEST(OwningDocument, ErrorsCarryTheToolsMessages) {
  struct Case {
    const char* text;
    Error::Kind kind;
    const char* message;
  } cases[] = {
      {"## orphan\n", Error::Kind::Unreadable, "subheader without an enclosing header"},
      // An overlong space, which is not UTF-8 at all.
      {"# Layers\n## a\nlead\xC0\xA0"
       "0 60 1\n",
       Error::Kind::Unreadable, "stream did not contain valid UTF-8"},
      {"# Layers\n## a\n@pan x\n", Error::Kind::Unreadable,
       "line 3: line 1: invalid number for pan: 'x'"},
      {"# Motifs\n\n## x\n0 60 83.425\n  pitch 74 -.5e-1 linear, -0.00012896182 "
       "148433500607357091053568, 1.4e-45 -2.5931212e-36\n",
       Error::Kind::Refused,
       "line 5: the pitch movement of this note cannot be written so that it reads back the "
       "same: use x values rising from 0 to 1, finite offsets and a duration above 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto document = Document::read(c.text);
    ASSERT_FALSE(document.has_value());
    EXPECT_EQ(document.error().kind(), c.kind);
    EXPECT_EQ(document.error().message(), c.message);
    auto formatted = format(c.text);
    ASSERT_FALSE(formatted.has_value());
    EXPECT_EQ(formatted.error().kind(), c.kind);
    EXPECT_EQ(formatted.error().message(), c.message);
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
  };
  for (const Failure& c : failures) {
    SCOPED_TRACE(c.text);
    auto upgraded = upgrade(c.text, "demo");
    ASSERT_FALSE(upgraded.has_value());
    EXPECT_EQ(upgraded.error().kind(), c.kind);
    EXPECT_EQ(upgraded.error().message(), c.message);
  }
}

}  // namespace
}  // namespace voromel
