#include "lsp/symbols.h"

#include <voromel/structure.h>

#include "lsp/positions.h"

namespace voromel::lsp {

namespace {

// What the blocks of each section are: a song is played like an event, a
// sound is a function of time, a tuning a set of values, and so on.
SymbolKind block_kind(SectionKind section) {
  switch (section) {
    case SectionKind::Meta:
      return SymbolKind::Property;
    case SectionKind::Songs:
      return SymbolKind::Event;
    case SectionKind::Layers:
      return SymbolKind::Class;
    case SectionKind::Sounds:
      return SymbolKind::Function;
    case SectionKind::Tunings:
      return SymbolKind::Enum;
    case SectionKind::Waves:
      return SymbolKind::Interface;
    case SectionKind::Subtitles:
      return SymbolKind::String;
    case SectionKind::Motifs:
      return SymbolKind::Struct;
    case SectionKind::Snapshots:
      return SymbolKind::Object;
    case SectionKind::Reverb:
      return SymbolKind::Constant;
    case SectionKind::Unknown:
      break;
  }
  return SymbolKind::Field;
}

// The last line, counted from 0, of what a heading at `line` (from 1) holds
// up to `end_line`, blank lines at its end left out.
std::size_t last_line(const Structure& structure, std::size_t line, std::size_t end_line) {
  std::size_t last = end_line - 1;
  while (last > line && structure.lines[last - 1] == LineKind::Blank) --last;
  return last - 1;
}

DocumentSymbol symbol_of(std::string_view text, const Structure& structure, TextSpan name,
                         std::size_t line, std::size_t end_line, SymbolKind kind,
                         const LineIndex& index) {
  DocumentSymbol symbol;
  // Editors reject a symbol without a name.
  symbol.name = name.begin == name.end
                    ? std::string("(no name)")
                    : std::string(text.substr(name.begin, name.end - name.begin));
  symbol.kind = kind;
  symbol.range = {index.position_of(index.line_start(line - 1)),
                  index.position_of(index.line_end(last_line(structure, line, end_line)))};
  symbol.selection_range = index.range_of(name.begin, name.end);
  return symbol;
}

// The sections, blocks and kinds of lines, without reading any block:
// an empty range of lines to read.
Structure places_of(std::string_view text) {
  return structure_of(text, 1, 1);
}

}  // namespace

std::vector<DocumentSymbol> document_symbols(std::string_view text, const LineIndex& index) {
  const Structure structure = places_of(text);
  std::vector<DocumentSymbol> symbols;
  for (const SectionPlace& section : structure.sections) {
    const SymbolKind kind =
        section.kind == SectionKind::Meta ? SymbolKind::Package : SymbolKind::Namespace;
    DocumentSymbol symbol =
        symbol_of(text, structure, section.title, section.line, section.end_line, kind, index);
    for (const BlockPlace& block : section.blocks) {
      DocumentSymbol child = symbol_of(text, structure, block.name, block.line, block.end_line,
                                       block_kind(section.kind), index);
      for (const BlockPlace& sub : block.sub_blocks) {
        child.children.push_back(
            symbol_of(text, structure, sub.name, sub.line, sub.end_line, SymbolKind::Field, index));
      }
      symbol.children.push_back(std::move(child));
    }
    symbols.push_back(std::move(symbol));
  }
  return symbols;
}

std::vector<FoldingRange> folding_ranges(std::string_view text) {
  const Structure structure = places_of(text);
  std::vector<FoldingRange> ranges;
  auto add = [&](std::size_t line, std::size_t end_line) {
    const std::size_t last = last_line(structure, line, end_line);
    if (last > line - 1) ranges.push_back({line - 1, last});
  };
  for (const SectionPlace& section : structure.sections) {
    add(section.line, section.end_line);
    for (const BlockPlace& block : section.blocks) {
      add(block.line, block.end_line);
      for (const BlockPlace& sub : block.sub_blocks) add(sub.line, sub.end_line);
    }
  }
  return ranges;
}

}  // namespace voromel::lsp
