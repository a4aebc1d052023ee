#include "lsp/line_diff.h"

#include <gtest/gtest.h>

namespace voromel::lsp {
namespace {

using Lines = std::vector<std::string_view>;

TEST(LineChanges, OnlyTheLinesThatDiffer) {
  struct Case {
    const char* name;
    Lines before;
    Lines after;
    std::vector<LineChange> changes;
  } cases[] = {
      {"same", {"a", "b"}, {"a", "b"}, {}},
      {"one inserted", {"a", "b"}, {"a", "x", "b"}, {{1, 1, 1, 2}}},
      {"one removed", {"a", "x", "b"}, {"a", "b"}, {{1, 2, 1, 1}}},
      {"two apart", {"a", "b", "c"}, {"x", "b", "y"}, {{0, 1, 0, 1}, {2, 3, 2, 3}}},
      {"everything", {"a"}, {"b", "c"}, {{0, 1, 0, 2}}},
      {"from nothing", {}, {"a"}, {{0, 0, 0, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(line_changes(c.before, c.after), c.changes);
  }
}

TEST(LineChanges, PastTheLimitLinesAreAlignedInLinearTime) {
  struct Case {
    const char* name;
    Lines before;
    Lines after;
    std::vector<LineChange> changes;
  } cases[] = {
      {"lines replaced one for one",
       {"a", "1", "2", "3", "z"},
       {"a", "x", "2", "y", "z"},
       {{1, 2, 1, 2}, {3, 4, 3, 4}}},
      {"a line removed and one added",
       {"1", "2", "3", "4", "5"},
       {"x", "2", "3", "y", "4", "5", "6"},
       {{0, 1, 0, 1}, {3, 3, 3, 4}, {5, 5, 6, 7}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(line_changes(c.before, c.after, 2), c.changes);
  }
}

}  // namespace
}  // namespace voromel::lsp
