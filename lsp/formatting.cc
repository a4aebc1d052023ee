#include "lsp/formatting.h"

#include "lsp/line_diff.h"
#include "lsp/positions.h"
#include "lsp/track_library.h"

namespace voromel::lsp {

namespace {

// The lines of a text, each with its line end, so that a line that differs
// only in its line end, or lacks one, counts as changed.
std::vector<std::string_view> lines_with_ends(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, next - start));
    start = next;
  }
  return lines;
}

}  // namespace

Reply<std::vector<TextEdit>> formatting_edits(std::string_view text, PositionEncoding encoding) {
  CanonicalOutcome canonical = canonical_text(text);
  if (canonical.problem) return ResponseError{ErrorCode::RequestFailed, canonical.problem->message};
  std::vector<TextEdit> edits;
  if (!canonical.changed) return edits;
  const auto before = lines_with_ends(text);
  const auto after = lines_with_ends(canonical.text);
  const LineIndex index(text, encoding);
  auto offset = [&](std::size_t line) {
    return line < before.size() ? static_cast<std::size_t>(before[line].data() - text.data())
                                : text.size();
  };
  for (const LineChange& change : line_changes(before, after)) {
    TextEdit edit;
    edit.range = index.range_of(offset(change.old_begin), offset(change.old_end));
    for (std::size_t line = change.new_begin; line < change.new_end; ++line) {
      edit.new_text += after[line];
    }
    edits.push_back(std::move(edit));
  }
  return edits;
}

}  // namespace voromel::lsp
