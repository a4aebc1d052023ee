#include "lsp/semantic_tokens.h"

#include <algorithm>

#include "lsp/names.h"
#include "lsp/outline.h"
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

Token token(std::size_t line, std::size_t begin, std::size_t end, TokenType type) {
  return {static_cast<std::uint32_t>(line), static_cast<std::uint32_t>(begin),
          static_cast<std::uint32_t>(end), type};
}

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
      tokens.push_back(token(number, begin, at, Keyword));
    } else if (reads_as_number(word)) {
      tokens.push_back(token(number, begin, at, Number));
    } else if (is_keyword(word)) {
      tokens.push_back(token(number, begin, at, Keyword));
    }
  }
}

bool spans_into(const Heading& heading, std::size_t first_line, std::size_t end_line) {
  return heading.line < end_line && (heading.span_end == 0 || heading.span_end > first_line);
}

// Only the sections and blocks that reach into lines [first_line, end_line),
// so that the names of the rest are not read.
std::vector<Section> sections_within(std::vector<Section> sections, std::size_t first_line,
                                     std::size_t end_line) {
  std::vector<Section> kept;
  for (Section& section : sections) {
    if (!spans_into(section.heading, first_line, end_line)) continue;
    std::erase_if(section.blocks, [&](const Block& block) {
      return !spans_into(block.heading, first_line, end_line);
    });
    kept.push_back(std::move(section));
  }
  return kept;
}

}  // namespace

std::vector<std::uint32_t> semantic_tokens(std::string_view text, PositionEncoding encoding,
                                           std::size_t first_line, std::size_t end_line) {
  Outline outline = outline_of(text);
  if (first_line > 0 || end_line < outline.lines.size()) {
    outline.sections = sections_within(std::move(outline.sections), first_line, end_line);
  }
  const Names names = names_of(outline);
  std::vector<Token> tokens;
  const auto& lines = outline.lines;
  const auto wanted = [&](std::size_t line) { return line >= first_line && line < end_line; };
  const auto add_heading = [&](const Heading& heading, TokenType type) {
    if (wanted(heading.line))
      tokens.push_back(token(heading.line, 0, lines[heading.line].size(), type));
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
      tokens.push_back(token(use.place.line, use.place.begin, use.place.end, Name));
    }
  }
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
  const LineIndex index(text, encoding);
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
