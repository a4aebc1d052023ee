#include "track/repeated_names.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace voromel::track {
namespace {

// Every name in one group and with one tag: only the names tell them apart.
std::uint64_t one_hash(std::string_view) {
  return 0;
}

// Groups by the last byte (the high bits choose the group), one tag for all.
std::uint64_t last_byte_hash(std::string_view name) {
  return name.empty() ? 1 : (std::uint64_t{static_cast<unsigned char>(name.back())} << 56) | 1;
}

TEST(RepeatedNames, FirstRepeatInListOrder) {
  struct Case {
    std::vector<std::string_view> names;
    NameHash hash;
    std::optional<std::size_t> first;
  } cases[] = {
      {{}, standard_name_hash, std::nullopt},
      {{"intro"}, standard_name_hash, std::nullopt},
      {{"intro", "verse", "Intro"}, standard_name_hash, std::nullopt},
      {{"intro", "verse", "intro"}, standard_name_hash, 2},
      // "intro" is seen first, but "verse" is repeated first.
      {{"intro", "verse", "verse", "intro"}, standard_name_hash, 2},
      {{"a", "b", "a", "b", "a"}, standard_name_hash, 2},
      {{"", ""}, standard_name_hash, 1},
      {{"ab", "ba", "b", "a"}, one_hash, std::nullopt},
      {{"ab", "ba", "b", "ba"}, one_hash, 3},
      {{"x", "y", "x", "y"}, last_byte_hash, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.names));
    EXPECT_EQ(first_repeated_name(c.names, c.hash), c.first);
  }
}

// Lists long enough to be checked in groups: the first repeat is the first
// in list order, whichever group holds it.
TEST(RepeatedNames, ManyNames) {
  struct Case {
    const char* label;
    // (position, position of the name it is given) for each repeat.
    std::vector<std::pair<std::size_t, std::size_t>> repeats;
    NameHash hash;
    std::optional<std::size_t> first;
  } cases[] = {
      {"all distinct", {}, standard_name_hash, std::nullopt},
      {"one repeat", {{7000, 3}}, standard_name_hash, 7000},
      {"two repeats", {{9999, 0}, {5001, 5000}}, standard_name_hash, 5001},
      {"grouped by last byte", {{9998, 17}, {6000, 12}}, last_byte_hash, 6000},
      {"grouped, none repeated", {}, last_byte_hash, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<std::string> text;
    for (std::size_t i = 0; i < 10000; ++i) text.push_back("marker" + std::to_string(i));
    for (const auto& [at, from] : c.repeats) text[at] = text[from];
    const std::vector<std::string_view> names(text.begin(), text.end());
    EXPECT_EQ(first_repeated_name(names, c.hash), c.first);
  }
}

}  // namespace
}  // namespace voromel::track
