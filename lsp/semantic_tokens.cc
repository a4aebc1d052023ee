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

std::vector<std::uint32_t> semantic_tokens(std::string_view text, PositionEncoding encoding,
                                           std::size_t first_line, std::size_t end_line) {
  const Outline outline = outline_of(text);
  const Names names = names_of(outline);
  std::vector<Token> tokens;
  const auto& lines = outline.lines;
  const auto wanted = [&](std::size_t line) { return line >= first_line && line < end_line; };
  const auto add_heading = [&](const Heading& heading, TokenType type) {
    if (wanted(heading.line)) tokens.push_back({heading.line, 0, lines[heading.line].size(), type});
  };
  const auto add_body = [&](std::size_t begin, std::size_t end) {
    for (std::size_t line = std::max(begin, first_line); line < std::min(end, end_line); ++line) {
      add_words(lines[line], line, tokens);
    }
  };
  for (const Section& section : outline.sections) {
    add_heading(section.heading, SectionHeading);
    if (section.kind == SectionKind::Unknown) continue;
    for (const Block& block : section.blocks) {
      add_heading(block.heading, BlockHeading);
      add_body(block.heading.line + 1, block.heading.body_end);
    }
    if (section.kind == SectionKind::Meta) {
      add_body(section.heading.line + 1, section.heading.body_end);
    }
  }
  for (const NameUse& use : names.uses) {
    if (wanted(use.place.line)) {
      tokens.push_back({use.place.line, use.place.begin, use.place.end, Name});
    }
  }
  std::stable_sort(tokens.begin(), tokens.end(), [](const Token& a, const Token& b) {
    return a.line != b.line ? a.line < b.line : a.begin < b.begin;
  });
  // Tokens may not overlap: a name replaces the word at its place, and a
  // token inside another is dropped.
  std::size_t kept = 0;
  for (const Token& token : tokens) {
    Token* last = kept > 0 ? &tokens[kept - 1] : nullptr;
    if (last && last->line == token.line && token.begin < last->end) {
      if (token.begin == last->begin) *last = token;
      continue;
    }
    tokens[kept++] = token;
  }
  tokens.resize(kept);
  const LineIndex index(text, encoding);
  std::vector<std::uint32_t> data;
  data.reserve(tokens.size() * 5);
  Position previous;
  for (const Token& token : tokens) {
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
