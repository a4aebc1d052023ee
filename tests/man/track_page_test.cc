// voromel-track(5) names every directive the grammars accept, as the tables
// their parsers look names up in list them, so the page cannot fall behind.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "header_format/meta_section.h"
#include "track/directive_names.h"

namespace voromel {
namespace {

// The page's source with the escapes of its names made plain ("\-" is "-").
std::string page_text() {
  std::ifstream file(VOROMEL_SOURCE_DIR "/man/voromel-track.5");
  std::ostringstream text;
  text << file.rdbuf();
  std::string page = text.str();
  for (std::size_t at = page.find("\\-"); at != std::string::npos; at = page.find("\\-", at)) {
    page.erase(at, 1);
  }
  return page;
}

bool is_name_character(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

// Whether `word` stands in the page as a whole word.
bool names(const std::string& page, const std::string& word) {
  for (std::size_t at = page.find(word); at != std::string::npos; at = page.find(word, at + 1)) {
    const bool starts = at == 0 || !is_name_character(page[at - 1]) || word.front() == '@';
    const std::size_t end = at + word.size();
    if (starts && (end == page.size() || !is_name_character(page[end]))) return true;
  }
  return false;
}

void expect_named(const std::string& page, std::string_view section,
                  const std::vector<std::string_view>& directives, std::string_view prefix) {
  EXPECT_FALSE(directives.empty()) << section;
  for (const std::string_view name : directives) {
    const std::string word = std::string(prefix) + std::string(name);
    EXPECT_TRUE(names(page, word))
        << "voromel-track(5) does not name " << word << " of " << section;
  }
}

TEST(TrackPage, NamesEveryDirectiveTheGrammarsAccept) {
  const std::string page = page_text();
  ASSERT_FALSE(page.empty()) << "man/voromel-track.5 is missing";
  expect_named(page, "# Meta", header_format::meta_directive_names(), "@");
  expect_named(page, "# Songs", track::multisong::song_directive_names(), "@");
  expect_named(page, "# Layers", track::multisong::layer_directive_names(), "@");
  expect_named(page, "# Sounds", track::format::sound_directive_names(), "@");
  expect_named(page, "# Reverb", track::multisong::reverb_setting_names(), "");
}

}  // namespace
}  // namespace voromel
