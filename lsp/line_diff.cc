#include "lsp/line_diff.h"

#include <algorithm>

namespace voromel::lsp {

namespace {

using Lines = std::vector<std::string_view>;

// The shortest edit between two runs of lines that share no first or last
// line (Myers' greedy algorithm), as runs of replaced lines; nothing when it
// takes more than `limit` inserted and deleted lines.
bool shortest_edit(const Lines& a, std::size_t a0, std::size_t n, const Lines& b, std::size_t b0,
                   std::size_t m, std::size_t limit, std::vector<LineChange>& changes) {
  const long long max = static_cast<long long>(std::min(n + m, limit));
  const long long offset = max + 1;
  std::vector<long long> v(static_cast<std::size_t>(2 * max + 3), 0);
  std::vector<std::vector<long long>> trace;
  long long found = -1;
  for (long long d = 0; d <= max && found < 0; ++d) {
    trace.push_back(v);
    for (long long k = -d; k <= d; k += 2) {
      const auto at = static_cast<std::size_t>(k + offset);
      long long x = (k == -d || (k != d && v[at - 1] < v[at + 1])) ? v[at + 1] : v[at - 1] + 1;
      long long y = x - k;
      while (x < static_cast<long long>(n) && y < static_cast<long long>(m) &&
             a[a0 + static_cast<std::size_t>(x)] == b[b0 + static_cast<std::size_t>(y)]) {
        ++x;
        ++y;
      }
      v[at] = x;
      if (x >= static_cast<long long>(n) && y >= static_cast<long long>(m)) {
        found = d;
        break;
      }
    }
  }
  if (found < 0) return false;
  // Walk back from the end, collecting each deleted or inserted line.
  std::vector<std::pair<long long, long long>> steps;  // (x, y) before each edit
  std::vector<bool> deletes;
  long long x = static_cast<long long>(n);
  long long y = static_cast<long long>(m);
  for (long long d = found; d > 0; --d) {
    const auto& previous = trace[static_cast<std::size_t>(d)];
    const long long k = x - y;
    const auto at = static_cast<std::size_t>(k + offset);
    const bool down = k == -d || (k != d && previous[at - 1] < previous[at + 1]);
    const long long previous_k = down ? k + 1 : k - 1;
    const long long previous_x = previous[static_cast<std::size_t>(previous_k + offset)];
    const long long previous_y = previous_x - previous_k;
    steps.emplace_back(previous_x, previous_y);
    deletes.push_back(!down);
    x = previous_x;
    y = previous_y;
  }
  std::vector<LineChange> found_changes;
  for (std::size_t i = steps.size(); i-- > 0;) {
    const auto [sx, sy] = steps[i];
    const auto ux = static_cast<std::size_t>(sx);
    const auto uy = static_cast<std::size_t>(sy);
    const LineChange step = deletes[i] ? LineChange{a0 + ux, a0 + ux + 1, b0 + uy, b0 + uy}
                                       : LineChange{a0 + ux, a0 + ux, b0 + uy, b0 + uy + 1};
    if (!found_changes.empty() && found_changes.back().old_end == step.old_begin &&
        found_changes.back().new_end == step.new_begin) {
      found_changes.back().old_end = step.old_end;
      found_changes.back().new_end = step.new_end;
    } else {
      found_changes.push_back(step);
    }
  }
  changes.insert(changes.end(), found_changes.begin(), found_changes.end());
  return true;
}

void add(std::vector<LineChange>& changes, LineChange change) {
  if (!changes.empty() && changes.back().old_end == change.old_begin &&
      changes.back().new_end == change.new_begin) {
    changes.back().old_end = change.old_end;
    changes.back().new_end = change.new_end;
  } else {
    changes.push_back(change);
  }
}

// A linear alignment for texts that differ in many places: where two lines
// differ, a line that comes back within a few lines on the other side is
// taken as the next kept line; otherwise one line replaces the other.
void aligned_changes(const Lines& a, std::size_t a0, std::size_t n, const Lines& b, std::size_t b0,
                     std::size_t m, std::vector<LineChange>& changes) {
  constexpr std::size_t window = 16;
  std::size_t i = a0;
  std::size_t j = b0;
  while (i < a0 + n && j < b0 + m) {
    if (a[i] == b[j]) {
      ++i;
      ++j;
      continue;
    }
    std::size_t skip = 1;
    for (; skip <= window; ++skip) {
      if (i + skip < a0 + n && a[i + skip] == b[j]) {
        add(changes, {i, i + skip, j, j});
        i += skip;
        break;
      }
      if (j + skip < b0 + m && a[i] == b[j + skip]) {
        add(changes, {i, i, j, j + skip});
        j += skip;
        break;
      }
    }
    if (skip > window) {
      add(changes, {i, i + 1, j, j + 1});
      ++i;
      ++j;
    }
  }
  if (i < a0 + n || j < b0 + m) add(changes, {i, a0 + n, j, b0 + m});
}

}  // namespace

std::vector<LineChange> line_changes(const Lines& before, const Lines& after,
                                     std::size_t max_changes) {
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) {
    ++prefix;
  }
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::size_t n = before.size() - prefix - suffix;
  const std::size_t m = after.size() - prefix - suffix;
  std::vector<LineChange> changes;
  if (n == 0 && m == 0) return changes;
  if (!shortest_edit(before, prefix, n, after, prefix, m, max_changes, changes)) {
    aligned_changes(before, prefix, n, after, prefix, m, changes);
  }
  return changes;
}

}  // namespace voromel::lsp
