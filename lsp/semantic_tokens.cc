#include "lsp/semantic_tokens.h"

#include <algorithm>

#include <voromel/structure.h>

#include "lsp/positions.h"

namespace voromel::lsp {

namespace {

enum TokenType : std::uint32_t { SectionHeading, BlockHeading, Keyword, Number, Name };

// Lines and byte columns fit 32 bits: a message body is far smaller.
struct Token {
  std::uint32_t line;
  std::uint32_t begin;
  std::uint32_t end;
  TokenType type;
};

bool is_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool ends_word(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '@';
}

// The tokens of the lines [first_line, end_line), as the library reads the
// text: headings, the '@' directives of its directive lines (a layer's line
// may give several), the numbers and the names read.
class TokenSource {
 public:
  TokenSource(std::string_view text, const LineIndex& index, std::size_t first_line,
              std::size_t end_line)
      : text_(text), index_(index), first_line_(first_line), end_line_(end_line) {}

  std::vector<Token> tokens_of(const Structure& structure) {
    for (const SectionPlace& section : structure.sections) {
      add(section.heading, SectionHeading);
      if (section.kind == SectionKind::Unknown) continue;
      for (const BlockPlace& block : section.blocks) add(block.heading, BlockHeading);
    }
    const std::size_t end = std::min(end_line_, structure.lines.size());
    for (std::size_t line = first_line_; line < end; ++line) {
      if (structure.lines[line] == LineKind::Directive) add_directives(index_.line_start(line));
    }
    for (const TextSpan& number : structure.numbers) add(number, Number);
    for (const NamePlace& name : structure.names) {
      if (!name.defines || name.kind == NameKind::Parameter || name.kind == NameKind::Marker) {
        add(name.span, Name);
      }
    }
    return std::move(tokens_);
  }

 private:
  void add(TextSpan span, TokenType type) {
    const std::size_t line = index_.line_of(span.begin);
    if (line < first_line_ || line >= end_line_) return;
    const std::size_t start = index_.line_start(line);
    tokens_.push_back({static_cast<std::uint32_t>(line),
                       static_cast<std::uint32_t>(span.begin - start),
                       static_cast<std::uint32_t>(span.end - start), type});
  }

  void add_directives(std::size_t start) {
    const std::size_t end = std::min(text_.find('\n', start), text_.size());
    for (std::size_t at = text_.find('@', start); at != std::string_view::npos && at + 1 < end;
         at = text_.find('@', at + 1)) {
      if (!is_letter(text_[at + 1])) continue;
      std::size_t word_end = at + 1;
      while (word_end < end && !ends_word(text_[word_end])) ++word_end;
      add({at, word_end}, Keyword);
    }
  }

  std::string_view text_;
  const LineIndex& index_;
  std::size_t first_line_;
  std::size_t end_line_;
  std::vector<Token> tokens_;
};

}  // namespace

std::vector<std::uint32_t> semantic_tokens(std::string_view text, PositionEncoding encoding,
                                           std::size_t first_line, std::size_t end_line) {
  const LineIndex index(text, encoding);
  std::vector<Token> tokens =
      TokenSource(text, index, first_line, end_line)
          .tokens_of(
              structure_of(text, first_line + 1, end_line == SIZE_MAX ? SIZE_MAX : end_line + 1));
  std::stable_sort(tokens.begin(), tokens.end(), [](const Token& a, const Token& b) {
    return a.line != b.line ? a.line < b.line : a.begin < b.begin;
  });
  // Tokens may not overlap: a name replaces the word at its place, and a
  // token inside another is dropped.
  std::size_t kept = 0;
  for (const Token& next : tokens) {
    Token* last = kept > 0 ? &tokens[kept - 1] : nullptr;
    if (last && last->line == next.line && next.begin < last->end) {
      if (next.begin == last->begin) *last = next;
      continue;
    }
    tokens[kept++] = next;
  }
  tokens.resize(kept);
  std::vector<std::uint32_t> data;
  data.reserve(tokens.size() * 5);
  // Columns are counted on from the previous token of the line, so that a
  // line is walked once however many tokens it holds.
  Position previous;
  std::size_t line = SIZE_MAX;
  std::size_t line_start = 0;
  std::size_t counted_to = 0;
  std::size_t column = 0;
  for (const Token& next : tokens) {
    if (next.line != line) {
      line = next.line;
      line_start = index.line_start(line);
      counted_to = line_start;
      column = 0;
    }
    column += index.units_between(counted_to, line_start + next.begin);
    counted_to = line_start + next.begin;
    const std::size_t length = index.units_between(counted_to, line_start + next.end);
    if (length == 0) continue;
    const auto line_delta = static_cast<std::uint32_t>(line - previous.line);
    const auto start_delta =
        static_cast<std::uint32_t>(line_delta == 0 ? column - previous.character : column);
    data.insert(data.end(),
                {line_delta, start_delta, static_cast<std::uint32_t>(length), next.type, 0});
    previous = {line, column};
  }
  return data;
}

}  // namespace voromel::lsp
