#include "lsp/positions.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace voromel::lsp {

namespace {

// The length of the UTF-8 sequence led by `byte`; a stray continuation byte
// counts alone.
std::size_t sequence_length(unsigned char byte) {
  if (byte >= 0xF0) return 4;
  if (byte >= 0xE0) return 3;
  if (byte >= 0xC0) return 2;
  return 1;
}

// A character outside the Basic Multilingual Plane takes two UTF-16 units.
std::size_t units(std::size_t length, PositionEncoding encoding) {
  if (encoding == PositionEncoding::Utf8) return length;
  return length == 4 ? 2 : 1;
}

void add_line_starts(std::string_view text, std::size_t base, std::vector<std::size_t>& starts) {
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    starts.push_back(base + at + 1);
  }
}

// A text cut into pieces of whole lines. Every piece but the last ends in a
// line feed: an edit's end falls before its piece's last line feed, or in a
// later piece, which is first joined to it. A piece no edit touched stays
// where it is in the text's buffer until the pieces are put together back
// into that buffer, and its line starts are taken over from the text's. A
// piece an edit touches is copied with its line starts, which each edit of
// it keeps in step as `replace_range` does for a whole text.
class PiecedText {
 public:
  PiecedText(std::string_view text, std::span<const std::size_t> starts, std::size_t piece_size)
      : text_(text), starts_of_text_(starts) {
    // A piece ends at the first line start at least `piece_size` bytes on:
    // the text's line starts, walked in order, give its ends and line counts
    // without reading the text.
    std::size_t first_start = 0;
    auto next = starts.begin();
    for (std::size_t at = 0; at < text.size();) {
      while (next != starts.end() && *next < at + piece_size) ++next;
      const bool last = next == starts.end();
      const std::size_t end = last ? text.size() : *next;
      const std::size_t lines =
          static_cast<std::size_t>(next - starts.begin()) - (last ? 1 : 0) - first_start;
      pieces_.push_back({at, end - at, first_start, lines, {}, {}, false});
      first_start += lines;
      at = end;
    }
    if (pieces_.empty()) pieces_.push_back({0, 0, 0, 0, {}, {0}, true});
    count_lines();
  }

  void replace(Range range, std::string_view replacement, PositionEncoding encoding) {
    const auto [piece, first_line] = locate(range.start.line);
    const std::size_t last = std::max(piece, locate(range.end.line).first);
    join(piece, last);
    Piece& edited = pieces_[piece];
    // An end before the piece is an end before the start, which stands for
    // the start.
    const Range local{{range.start.line - first_line, range.start.character},
                      range.end.line < first_line
                          ? Position{}
                          : Position{range.end.line - first_line, range.end.character}};
    replace_range(edited.text, edited.starts, local, replacement, encoding);
    // Unsigned arithmetic wraps: a count that falls is added its negation.
    const std::size_t moved = edited.starts.size() - 1 - edited.lines;
    edited.lines += moved;
    for (std::size_t at = piece + 1; at <= pieces_.size(); at += at & (~at + 1)) {
      counts_[at] += moved;
    }
  }

  // Puts the text and its line starts together in the buffers they came
  // from: a piece no edit touched moves only when the text before it
  // changed in length, and the buffers grow only when the text outgrows them.
  void put_together(std::string& text, std::vector<std::size_t>& starts) const {
    std::vector<std::size_t> at(pieces_.size() + 1, 0);
    std::vector<std::size_t> first(pieces_.size() + 1, 0);
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
      const Piece& piece = pieces_[i];
      at[i + 1] = at[i] + (piece.edited ? piece.text.size() : piece.size);
      first[i + 1] = first[i] + piece.lines;
    }
    const std::size_t size = at.back();
    // Room to grow by an eighth before the text is copied again.
    if (size > text.capacity()) text.reserve(size + size / 8);
    text.resize(std::max(text.size(), size));
    starts.resize(std::max(starts.size(), first.back() + 1));
    char* const bytes = text.data();
    move_untouched(
        at, [&](std::size_t i) { return pieces_[i].origin; },
        [&](std::size_t i) {
          if (at[i] == pieces_[i].origin) return;
          std::memmove(bytes + at[i], bytes + pieces_[i].origin, pieces_[i].size);
        });
    // A piece's starts are those after each of its line feeds.
    move_untouched(
        first, [&](std::size_t i) { return pieces_[i].first_start; },
        [&](std::size_t i) {
          const Piece& piece = pieces_[i];
          const std::size_t from = piece.first_start + 1;
          const std::size_t to = first[i] + 1;
          if (to == from && at[i] == piece.origin) return;
          const auto moved = [&](std::size_t k) {
            starts[to + k] = starts[from + k] - piece.origin + at[i];
          };
          if (to <= from) {
            for (std::size_t k = 0; k < piece.lines; ++k) moved(k);
          } else {
            for (std::size_t k = piece.lines; k-- > 0;) moved(k);
          }
        });
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
      const Piece& piece = pieces_[i];
      if (!piece.edited) continue;
      std::memcpy(bytes + at[i], piece.text.data(), piece.text.size());
      for (std::size_t k = 1; k <= piece.lines; ++k) starts[first[i] + k] = at[i] + piece.starts[k];
    }
    text.resize(size);
    starts.resize(first.back() + 1);
  }

 private:
  struct Piece {
    // Where the piece was in the text given, how long it was, and the index
    // of its first line's start among the text's.
    std::size_t origin;
    std::size_t size;
    std::size_t first_start;
    std::size_t lines;
    // The piece's text and the starts of its lines, from 0, once an edit
    // has touched it.
    std::string text;
    std::vector<std::size_t> starts;
    bool edited;
  };

  // Calls `move` for each piece no edit touched, whose place in a buffer
  // goes from `from(i)` to `to[i]`: first those that stay or move towards
  // its start, in order, then those that move towards its end, from the
  // last. Places keep their order, so no piece then writes over one not yet
  // moved.
  template <class From, class Move>
  void move_untouched(const std::vector<std::size_t>& to, From from, Move move) const {
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
      if (!pieces_[i].edited && to[i] <= from(i)) move(i);
    }
    for (std::size_t i = pieces_.size(); i-- > 0;) {
      if (!pieces_[i].edited && to[i] > from(i)) move(i);
    }
  }

  void make_editable(Piece& piece) {
    if (piece.edited) return;
    piece.text.assign(text_.substr(piece.origin, piece.size));
    const auto own = starts_of_text_.subspan(piece.first_start, piece.lines + 1);
    piece.starts.clear();
    for (const std::size_t start : own) piece.starts.push_back(start - piece.origin);
    piece.edited = true;
  }

  // The piece that holds the start of line `line`, and its first line; the
  // last piece for a line past the last.
  std::pair<std::size_t, std::size_t> locate(std::size_t line) const {
    // The most pieces from the first whose line feeds come to `line` or
    // fewer, found down the tree of counts.
    std::size_t pieces = 0;
    std::size_t first = 0;
    for (std::size_t step = std::bit_floor(pieces_.size()); step > 0; step /= 2) {
      if (pieces + step <= pieces_.size() && first + counts_[pieces + step] <= line) {
        pieces += step;
        first += counts_[pieces];
      }
    }
    if (pieces + 1 < pieces_.size()) return {pieces, first};
    if (pieces == pieces_.size()) first -= pieces_.back().lines;
    return {pieces_.size() - 1, first};
  }

  // The line feeds of the pieces as a tree of partial sums: entry i counts
  // those of the pieces (i - lowest bit of i, i].
  void count_lines() {
    counts_.assign(pieces_.size() + 1, 0);
    for (std::size_t at = 1; at <= pieces_.size(); ++at) {
      counts_[at] += pieces_[at - 1].lines;
      const std::size_t parent = at + (at & (~at + 1));
      if (parent <= pieces_.size()) counts_[parent] += counts_[at];
    }
  }

  void join(std::size_t first, std::size_t last) {
    make_editable(pieces_[first]);
    for (std::size_t piece = first + 1; piece <= last; ++piece) {
      make_editable(pieces_[piece]);
      pieces_[first].text += pieces_[piece].text;
      pieces_[first].lines += pieces_[piece].lines;
    }
    if (last == first) return;
    pieces_[first].starts = line_starts(pieces_[first].text);
    pieces_.erase(pieces_.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                  pieces_.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    count_lines();
  }

  std::string_view text_;
  std::span<const std::size_t> starts_of_text_;
  std::vector<Piece> pieces_;
  std::vector<std::size_t> counts_;
};

}  // namespace

std::vector<std::size_t> line_starts(std::string_view text) {
  std::vector<std::size_t> starts{0};
  add_line_starts(text, 0, starts);
  return starts;
}

LineIndex::LineIndex(std::string_view text, PositionEncoding encoding)
    : LineIndex(text, line_starts(text), encoding) {}

LineIndex::LineIndex(std::string_view text, std::vector<std::size_t> starts,
                     PositionEncoding encoding)
    : text_(text), encoding_(encoding), owned_(std::move(starts)), starts_(owned_) {}

LineIndex::LineIndex(std::string_view text, std::span<const std::size_t> starts,
                     PositionEncoding encoding)
    : text_(text), encoding_(encoding), starts_(starts) {}

std::size_t LineIndex::line_end(std::size_t line) const {
  if (line + 1 >= starts_.size()) return text_.size();
  std::size_t end = starts_[line + 1] - 1;
  if (end > starts_[line] && text_[end - 1] == '\r') --end;
  return end;
}

std::size_t LineIndex::line_of(std::size_t offset) const {
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
  return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

std::size_t LineIndex::offset_of(Position position) const {
  if (position.line >= starts_.size()) return text_.size();
  const std::size_t end = line_end(position.line);
  std::size_t offset = starts_[position.line];
  std::size_t column = 0;
  while (offset < end) {
    const std::size_t length =
        std::min(sequence_length(static_cast<unsigned char>(text_[offset])), end - offset);
    const std::size_t width = units(length, encoding_);
    if (column + width > position.character) break;
    column += width;
    offset += length;
  }
  return offset;
}

Position LineIndex::position_of(std::size_t offset) const {
  offset = std::min(offset, text_.size());
  const std::size_t line = line_of(offset);
  return {line, units_between(starts_[line], offset)};
}

std::size_t LineIndex::units_between(std::size_t begin, std::size_t end) const {
  const std::string_view bytes = text_.substr(begin, end - begin);
  // Most text is ASCII: a byte, a unit.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0; })) return bytes.size();
  std::size_t at = begin;
  std::size_t column = 0;
  while (at < end) {
    const std::size_t length = sequence_length(static_cast<unsigned char>(text_[at]));
    column += units(std::min(length, end - at), encoding_);
    at += length;
  }
  return column;
}

Range LineIndex::range_of(std::size_t begin, std::size_t end) const {
  return {position_of(begin), position_of(end)};
}

Range LineIndex::line_range(std::size_t line) const {
  return range_of(line_start(line), line_end(line));
}

void replace_range(std::string& text, std::vector<std::size_t>& starts, Range range,
                   std::string_view replacement, PositionEncoding encoding) {
  // The index borrows the starts for the two lookups and gives them back.
  LineIndex index(text, std::move(starts), encoding);
  const std::size_t begin = index.offset_of(range.start);
  const std::size_t end = std::max(begin, index.offset_of(range.end));
  starts = std::move(index).take_starts();
  text.replace(begin, end - begin, replacement);
  // The starts after a line feed of the replaced text go, those of the
  // replacement come in, and the later ones move by the change in length.
  const auto first = std::upper_bound(starts.begin(), starts.end(), begin);
  const auto after = std::upper_bound(first, starts.end(), end);
  std::vector<std::size_t> added;
  add_line_starts(replacement, begin, added);
  const auto at = starts.erase(first, after) - starts.begin();
  starts.insert(starts.begin() + at, added.begin(), added.end());
  const std::size_t removed = end - begin;
  for (auto later = starts.begin() + at + static_cast<std::ptrdiff_t>(added.size());
       later != starts.end(); ++later) {
    *later = *later - removed + replacement.size();
  }
}

void replace_ranges(std::string& text, std::vector<std::size_t>& starts,
                    std::span<const RangedEdit> edits, PositionEncoding encoding,
                    std::size_t piece_size) {
  PiecedText pieces(text, starts, std::max<std::size_t>(piece_size, 1));
  for (const RangedEdit& edit : edits) pieces.replace(edit.range, edit.text, encoding);
  pieces.put_together(text, starts);
}

}  // namespace voromel::lsp
