#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace voromel::lsp {

// A run of lines [old_begin, old_end) of the old text replaced by the lines
// [new_begin, new_end) of the new one.
struct LineChange {
  std::size_t old_begin;
  std::size_t old_end;
  std::size_t new_begin;
  std::size_t new_end;
  friend bool operator==(const LineChange&, const LineChange&) = default;
};

// The changes that turn `before` into `after`, leaving every line that the
// shortest edit keeps untouched. Past `max_changes` inserted and deleted
// lines a linear alignment takes over, which may change a few more lines
// than the shortest edit would but keeps time linear.
std::vector<LineChange> line_changes(const std::vector<std::string_view>& before,
                                     const std::vector<std::string_view>& after,
                                     std::size_t max_changes = 512);

}  // namespace voromel::lsp
