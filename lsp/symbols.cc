#include "lsp/symbols.h"

#include "lsp/outline.h"
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

DocumentSymbol symbol_of(const Heading& heading, SymbolKind kind, const LineIndex& index) {
  DocumentSymbol symbol;
  // Editors reject a symbol without a name.
  symbol.name = heading.title.empty() ? std::string("(no name)") : std::string(heading.title);
  symbol.kind = kind;
  symbol.range = {index.position_of(index.line_start(heading.line)),
                  index.position_of(index.line_end(heading.last_line))};
  const std::size_t line_start = index.line_start(heading.line);
  const std::size_t title_start = line_start + heading.title_column;
  symbol.selection_range = index.range_of(title_start, title_start + heading.title.size());
  return symbol;
}

}  // namespace

std::vector<DocumentSymbol> document_symbols(std::string_view text, PositionEncoding encoding) {
  const Outline outline = outline_of(text);
  const LineIndex index(text, encoding);
  std::vector<DocumentSymbol> symbols;
  for (const Section& section : outline.sections) {
    const SymbolKind kind =
        section.kind == SectionKind::Meta ? SymbolKind::Package : SymbolKind::Namespace;
    DocumentSymbol symbol = symbol_of(section.heading, kind, index);
    for (const Block& block : section.blocks) {
      DocumentSymbol child = symbol_of(block.heading, block_kind(section.kind), index);
      for (const Heading& sub : block.sub_blocks) {
        child.children.push_back(symbol_of(sub, SymbolKind::Field, index));
      }
      symbol.children.push_back(std::move(child));
    }
    symbols.push_back(std::move(symbol));
  }
  return symbols;
}

std::vector<FoldingRange> folding_ranges(std::string_view text) {
  const Outline outline = outline_of(text);
  std::vector<FoldingRange> ranges;
  auto add = [&](const Heading& heading) {
    if (heading.last_line > heading.line) ranges.push_back({heading.line, heading.last_line});
  };
  for (const Section& section : outline.sections) {
    add(section.heading);
    for (const Block& block : section.blocks) {
      add(block.heading);
      for (const Heading& sub : block.sub_blocks) add(sub);
    }
  }
  return ranges;
}

}  // namespace voromel::lsp
