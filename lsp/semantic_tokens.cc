#include "lsp/semantic_tokens.h"

#include <algorithm>

#include "lsp/names.h"
#include "lsp/outline.h"
#include "lsp/positions.h"

namespace voromel::lsp {

namespace {

enum TokenType : std::uint32_t { SectionHeading, BlockHeading, Keyword, Number, Name };

struct Token {
  std::size_t line;
  std::size_t begin;
  std::size_t end;
  TokenType type;
};

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool is_keyword(std::string_view word) {
  return word == "motif" || word == "subtrack" || word == "transpose" || word == "tuning" ||
         word == "pitch" || word == "volume" || word == "trim" || word == "note" ||
         word == "skip" || word == "param" || word == "wave" || word.starts_with("wave@");
}

// Directives, keywords and numbers of one body line.
void add_words(std::string_view line, std::size_t number, std::vector<Token>& tokens) {
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && is_space(line[at])) ++at;
    const std::size_t begin = at;
    while (at < line.size() && !is_space(line[at])) ++at;
    if (at == begin) break;
    const std::string_view word = line.substr(begin, at - begin);
    if (word.size() > 1 && word.front() == '@') {
      tokens.push_back({number, begin, at, Keyword});
    } else if (reads_as_number(word)) {
      tokens.push_back({number, begin, at, Number});
    } else if (is_keyword(word)) {
      tokens.push_back({number, begin, at, Keyword});
    }
  }
}

}  // namespace

std::vector<std::uint32_t> semantic_tokens(std::string_view text, PositionEncoding encoding) {
  const Outline outline = outline_of(text);
  const Names names = names_of(outline);
  std::vector<Token> tokens;
  for (const Section& section : outline.sections) {
    const auto& lines = outline.lines;
    tokens.push_back({section.heading.line, 0, lines[section.heading.line].size(), SectionHeading});
    if (section.kind == SectionKind::Unknown) continue;
    for (const Block& block : section.blocks) {
      tokens.push_back({block.heading.line, 0, lines[block.heading.line].size(), BlockHeading});
      for (std::size_t line = block.heading.line + 1; line < block.heading.body_end; ++line) {
        add_words(lines[line], line, tokens);
      }
    }
    for (std::size_t line = section.heading.line + 1; line < section.heading.body_end; ++line) {
      if (section.kind == SectionKind::Meta) add_words(lines[line], line, tokens);
    }
  }
  for (const NameUse& use : names.uses) {
    tokens.push_back({use.place.line, use.place.begin, use.place.end, Name});
  }
  std::stable_sort(tokens.begin(), tokens.end(), [](const Token& a, const Token& b) {
    return a.line != b.line ? a.line < b.line : a.begin < b.begin;
  });
  // Tokens may not overlap: a name replaces the word at its place, and a
  // token inside another is dropped.
  std::vector<Token> kept;
  for (const Token& token : tokens) {
    if (!kept.empty() && kept.back().line == token.line && token.begin < kept.back().end) {
      if (token.begin == kept.back().begin) kept.back() = token;
      continue;
    }
    kept.push_back(token);
  }
  const LineIndex index(text, encoding);
  std::vector<std::uint32_t> data;
  Position previous;
  for (const Token& token : kept) {
    const std::size_t start = index.line_start(token.line);
    const Position begin = index.position_of(start + token.begin);
    const Position end = index.position_of(start + token.end);
    if (end.character == begin.character) continue;
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
