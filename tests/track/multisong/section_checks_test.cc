#include "track/multisong/canonical_form.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

#include "voromel/structure.h"
#include "voromel/voromel.h"

namespace voromel::track::multisong {
namespace {

struct Case {
  const char* name;
  const char* text;
  const char* message;  // empty: the check passes
};

// The refusal a rewrite of the text meets first, if any, block by block and
// on the whole document.
void run_cases(std::span<const Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto form = canonical_form(c.text);
    ASSERT_TRUE(form.has_value()) << form.error().text();
    EXPECT_EQ(form.value().refusal ? form.value().refusal->message : "", c.message);
    Reading reading;
    reading.read(c.text);
    EXPECT_EQ(reading.problem() ? reading.problem()->message() : "", c.message);
    auto document = Document::read(c.text);
    ASSERT_TRUE(document.has_value());
    const auto checked = document.value().check();
    EXPECT_EQ(checked ? "" : checked.error().message(), c.message);
  }
}

TEST(CheckSectionPreambles, RefusesTextBeforeTheFirstBlock) {
  const Case cases[] = {
      {"old sound line", "# Sounds\n  lead: sine 440  \n## pad\nsine 1\n",
       "'lead: sine 440' sits before the first block of '# Sounds', where nothing reads it: the "
       "pre-0.20 one-line sound syntax was replaced by a '## lead' block, one harmonic per line "
       "and every setting as its own '@' directive"},
      {"two words before the colon", "# Sounds\nbig lead: sine 440\n",
       "'big lead: sine 440' sits before the first block of '# Sounds', where nothing reads it: "
       "move it into a '## <name>' block under '# Sounds'"},
      {"colon first", "# Sounds\n: sine\n",
       "': sine' sits before the first block of '# Sounds', where nothing reads it: move it into "
       "a '## <name>' block under '# Sounds'"},
      {"name with non-breaking space", "# Sounds\nle\u00a0ad:x\n",
       "'le\u00a0ad:x' sits before the first block of '# Sounds', where nothing reads it: move it "
       "into a '## <name>' block under '# Sounds'"},
      {"colon outside Sounds", "# Layers\n\tlead: sine\n## a\n",
       "'lead: sine' sits before the first block of '# Layers', where nothing reads it: move it "
       "into a '## <name>' block under '# Layers'"},
      {"Songs before Sounds", "# Sounds\nsound text\n# Songs\nsong text\n",
       "'song text' sits before the first block of '# Songs', where nothing reads it: move it "
       "into a '## <name>' block under '# Songs'"},
      {"repeated section", "# Waves\n## w\n# Waves\nlate\n",
       "'late' sits before the first block of '# Waves', where nothing reads it: move it into a "
       "'## <name>' block under '# Waves'"},
      {"lower-case title is unknown", "# songs\ntext\n", ""},
      {"meta and unknown sections", "# Meta\n@title T\n# Other\ntext\n", ""},
      {"blank own lines", "# Songs\n \u3000\n\n## a\n", ""},
      {"leading lines", "text\n# Songs\n## a\n", ""},
  };
  run_cases(cases);
}

TEST(CheckSubBlocks, RefusesTheFirstSubBlockNothingReads) {
  const Case cases[] = {
      {"in a song", "# Songs\n## main\n@tempo 120\n### Part\ny\n",
       "'### Part' sits inside '## main' of '# Songs', where nothing reads it: move its lines "
       "into the block or into a '## <name>' block of its own"},
      {"meta first", "# Songs\n## main\n### a\n# Meta\n## Tags\nt\n###   b  \n",
       "'### b' sits inside '## Tags' of '# Meta', where nothing reads it: move its lines into "
       "the block"},
      {"meta description", "# Meta\n## Description\nText\n### more\n",
       "'### more' sits inside '## Description' of '# Meta', where nothing reads it: move its "
       "lines into the block"},
      {"kinds in order", "# Reverb\n## r\n### x\n# Layers\n## l\n### y\n",
       "'### y' sits inside '## l' of '# Layers', where nothing reads it: move its lines into the "
       "block or into a '## <name>' block of its own"},
      {"blocks in file order", "# Motifs\n## a\n## b\n### first\n## c\n### second\n",
       "'### first' sits inside '## b' of '# Motifs', where nothing reads it: move its lines into "
       "the block or into a '## <name>' block of its own"},
      {"empty sub-block title", "# Waves\n## w\n###\n",
       "'### ' sits inside '## w' of '# Waves', where nothing reads it: move its lines into the "
       "block or into a '## <name>' block of its own"},
      {"only the kept meta counts", "# Meta\n## Tags\n### x\n# Meta\n@title T\n",
       "'# Meta' appears 2 times and only the last would be kept: merge them into one '# Meta' "
       "section"},
      {"unknown sections keep theirs", "# Other\n## a\n### b\n", ""},
  };
  run_cases(cases);
}

}  // namespace
}  // namespace voromel::track::multisong
