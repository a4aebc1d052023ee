// voromel-track(5) against the directive tables the readers and writers
// use: the page names every directive, gives each default the writer leaves
// out, and lists them in the order they are written.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "voromel/directives.h"

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

// The part of the page about a section: from its ".SH" to the next.
std::string section_part(const std::string& page, std::string_view section) {
  std::string heading = ".SH \"THE " + std::string(section) + " SECTION\"";
  std::transform(heading.begin(), heading.end(), heading.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
  if (section == "Meta") heading = ".SH \"THE META SECTION\"";
  const std::size_t start = page.find(heading);
  if (start == std::string::npos) return {};
  return page.substr(start, page.find("\n.SH ", start + 1) - start);
}

bool is_name_character(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '@';
}

// Where `word` first stands in `text` as a whole word.
std::size_t find_word(std::string_view text, std::string_view word) {
  for (std::size_t at = text.find(word); at != std::string_view::npos;
       at = text.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if ((at == 0 || !is_name_character(text[at - 1])) &&
        (end == text.size() || !is_name_character(text[end]))) {
      return at;
    }
  }
  return std::string_view::npos;
}

// The entry that describes `name`: from its ".TP" (with any ".TQ" items)
// up to the next paragraph; empty when no entry starts with the name.
std::string entry_of(const std::string& part, std::string_view name) {
  for (std::size_t at = part.find(".TP\n"); at != std::string::npos;
       at = part.find(".TP\n", at + 1)) {
    const std::size_t end =
        std::min({part.find("\n.TP\n", at + 1), part.find("\n.PP", at), part.find("\n.SS", at)});
    const std::string entry = part.substr(at, end - at);
    std::istringstream lines(entry);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t item = line.find_first_of(" ");
      if (line.starts_with(".TQ") || line.starts_with(".TP")) continue;
      if (item == std::string::npos || !line.starts_with(".B")) break;
      std::string_view head = std::string_view(line).substr(item + 1);
      if (head.starts_with('"')) head.remove_prefix(1);
      if (head.starts_with(name) && find_word(head, name) == 0) return entry;
    }
  }
  return {};
}

// The names `text` gives, each at its first place.
std::vector<std::string> names_in(std::string_view text, const std::vector<Directive>& directives) {
  std::vector<std::pair<std::size_t, std::string>> found;
  for (const Directive& directive : directives) {
    const std::size_t at = find_word(text, directive.name);
    if (at != std::string_view::npos) found.emplace_back(at, directive.name);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (const auto& [at, name] : found) names.push_back(name);
  return names;
}

// The names in the order the page says they are written: of the paragraphs
// that start at an "order:", the one that gives most names; the whole part
// where none does.
std::vector<std::string> written_order(const std::string& part,
                                       const std::vector<Directive>& directives) {
  std::vector<std::string> best;
  for (std::size_t at = part.find("order:"); at != std::string::npos;
       at = part.find("order:", at + 1)) {
    const std::size_t end =
        std::min({part.find("\n.PP", at), part.find("\n.SS", at), part.find("\n.TP", at)});
    auto names = names_in(std::string_view(part).substr(at, end - at), directives);
    if (names.size() > best.size()) best = std::move(names);
  }
  return best.empty() ? names_in(part, directives) : best;
}

TEST(TrackPage, GivesEveryDirectiveItsDefaultAndItsPlaceInTheWrittenOrder) {
  const std::string page = page_text();
  ASSERT_FALSE(page.empty()) << "man/voromel-track.5 is missing";
  for (const std::string_view section : {"Meta", "Songs", "Layers", "Sounds", "Reverb"}) {
    SCOPED_TRACE(section);
    const std::vector<Directive> directives = directives_of(section);
    const std::string part = section_part(page, section);
    ASSERT_FALSE(directives.empty());
    ASSERT_FALSE(part.empty()) << "the page has no part about # " << section;
    std::vector<std::string> table_order;
    for (const Directive& directive : directives) {
      const std::string entry = entry_of(part, directive.name);
      EXPECT_FALSE(entry.empty()) << "no entry for " << directive.name;
      if (directive.default_text) {
        const std::string& text = *directive.default_text;
        EXPECT_TRUE(entry.find("default " + text) != std::string::npos ||
                    entry.find(text + " by default") != std::string::npos)
            << directive.name << "'s entry does not give its default " << text << ":\n"
            << entry;
      }
      table_order.push_back(directive.name);
    }
    EXPECT_EQ(written_order(part, directives), table_order);
  }
}

TEST(TrackPage, FindsAnEntryByItsWholeName) {
  const std::string part = ".TP\n.BI \"@jump-at \" x\nJumps.\n.TP\n.B room_size\nSize.\n.PP\n";
  EXPECT_EQ(entry_of(part, "@jump"), "");
  EXPECT_EQ(entry_of(part, "@jump-at"), ".TP\n.BI \"@jump-at \" x\nJumps.");
  EXPECT_EQ(entry_of(part, "room_size"), ".TP\n.B room_size\nSize.");
  EXPECT_EQ(entry_of(part, "room"), "");
}

}  // namespace
}  // namespace voromel
