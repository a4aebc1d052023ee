#include "lsp/semantic_tokens.h"

#include <algorithm>

#include <voromel/structure.h>

#include "lsp/positions.h"

namespace voromel::lsp {

namespace {

enum TokenType : std::uint32_t { SectionHeading, BlockHeading, Keyword, Number, Name };

struct Token {
  TextSpan span;
  TokenType type;
};

bool is_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool ends_word(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '@';
}

// The '@' directives of a directive line that starts at `start`; a layer's
// line may give several.
void add_directives(std::string_view text, std::size_t start, std::vector<Token>& tokens) {
  const std::size_t end = std::min(text.find('\n', start), text.size());
  for (std::size_t at = text.find('@', start); at != std::string_view::npos && at + 1 < end;
       at = text.find('@', at + 1)) {
    if (!is_letter(text[at + 1])) continue;
    std::size_t word_end = at + 1;
    while (word_end < end && !ends_word(text[word_end])) ++word_end;
    tokens.push_back({{at, word_end}, Keyword});
  }
}

std::vector<Token> tokens_of(std::string_view text, const Structure& structure,
                             const LineIndex& index) {
  std::vector<Token> tokens;
  for (const SectionPlace& section : structure.sections) {
    tokens.push_back({section.heading, SectionHeading});
    if (section.kind == SectionKind::Unknown) continue;
    for (const BlockPlace& block : section.blocks) tokens.push_back({block.heading, BlockHeading});
  }
  for (std::size_t line = 0; line < structure.lines.size(); ++line) {
    if (structure.lines[line] == LineKind::Directive) {
      add_directives(text, index.line_start(line), tokens);
    }
  }
  for (const TextSpan& number : structure.numbers) tokens.push_back({number, Number});
  for (const NamePlace& name : structure.names) {
    if (!name.defines || name.kind == NameKind::Parameter || name.kind == NameKind::Marker) {
      tokens.push_back({name.span, Name});
    }
  }
  std::stable_sort(tokens.begin(), tokens.end(),
                   [](const Token& a, const Token& b) { return a.span.begin < b.span.begin; });
  return tokens;
}

}  // namespace

std::vector<std::uint32_t> semantic_tokens(std::string_view text, PositionEncoding encoding) {
  const Structure structure = structure_of(text);
  const LineIndex index(text, encoding);
  // Tokens may not overlap: a token inside another is dropped.
  std::vector<std::uint32_t> data;
  Position previous;
  std::size_t covered = 0;
  for (const Token& token : tokens_of(text, structure, index)) {
    if (token.span.begin < covered) continue;
    covered = token.span.end;
    const Position begin = index.position_of(token.span.begin);
    const Position end = index.position_of(token.span.end);
    if (end.line != begin.line || end.character == begin.character) continue;
    const auto line_delta = static_cast<std::uint32_t>(begin.line - previous.line);
    const auto start_delta = static_cast<std::uint32_t>(
        line_delta == 0 ? begin.character - previous.character : begin.character);
    data.insert(data.end(),
                {line_delta, start_delta,
                 static_cast<std::uint32_t>(end.character - begin.character), token.type, 0});
    previous = begin;
  }
  return data;
}

}  // namespace voromel::lsp
