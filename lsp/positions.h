#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lsp/protocol.h"

namespace voromel::lsp {

// Where the lines of a text start, and the one place where a protocol
// position (line and column in the client's encoding) becomes a byte offset
// into the text and back.
class LineIndex {
 public:
  LineIndex(std::string_view text, PositionEncoding encoding);
  // An index of `text` whose line starts are known already.
  LineIndex(std::string_view text, std::vector<std::size_t> starts, PositionEncoding encoding);
  // An index that borrows the line starts an open document keeps.
  LineIndex(std::string_view text, std::span<const std::size_t> starts, PositionEncoding encoding);
  // A copy would borrow the starts the original owns.
  LineIndex(const LineIndex&) = delete;
  LineIndex& operator=(const LineIndex&) = delete;
  LineIndex(LineIndex&&) = default;
  LineIndex& operator=(LineIndex&&) = default;

  // Lines as the protocol counts them: a text ending in a line feed has an
  // empty last line after it.
  std::size_t line_count() const { return starts_.size(); }
  std::size_t line_start(std::size_t line) const {
    return line < starts_.size() ? starts_[line] : text_.size();
  }
  // The end of the line's text, before its line feed (and a carriage return
  // directly before it).
  std::size_t line_end(std::size_t line) const;
  std::size_t line_of(std::size_t offset) const;

  // A position beyond the end of its line means the line's end, and one
  // beyond the last line the end of the text; a column inside a character
  // means the start of that character.
  std::size_t offset_of(Position position) const;
  Position position_of(std::size_t offset) const;
  // The width of bytes [begin, end) of one line in the client's encoding.
  std::size_t units_between(std::size_t begin, std::size_t end) const;
  Range range_of(std::size_t begin, std::size_t end) const;
  // The whole text of the line, without its line end.
  Range line_range(std::size_t line) const;

  std::vector<std::size_t> take_starts() && { return std::move(owned_); }

 private:
  std::string_view text_;
  PositionEncoding encoding_;
  std::vector<std::size_t> owned_;
  std::span<const std::size_t> starts_;
};

// Where each line of `text` starts: 0 and the offset after every line feed.
std::vector<std::size_t> line_starts(std::string_view text);

// Replaces `range` of `text` by `replacement` and keeps `starts`, the text's
// line starts, in step: in time proportional to the line of the range, the
// replacement and the lines after it, not to the whole text.
void replace_range(std::string& text, std::vector<std::size_t>& starts, Range range,
                   std::string_view replacement, PositionEncoding encoding);

// A ranged change: `range` of the text replaced by `text`.
struct RangedEdit {
  Range range;
  std::string_view text;
};

// Applies `edits` in order, as `replace_range` applies each, for a client
// that sends many at once: the text is cut once into pieces of whole lines
// of about `piece_size` bytes, each edit moves only the bytes of its piece,
// and the text and its line starts are put together once at the end.
void replace_ranges(std::string& text, std::vector<std::size_t>& starts,
                    std::span<const RangedEdit> edits, PositionEncoding encoding,
                    std::size_t piece_size = 512);

}  // namespace voromel::lsp
