#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// The headings of a document as the reader cuts it: '#' sections holding
// '##' blocks, which hold deeper sub-blocks. Worked out from the text alone,
// for the outline, folding, names and the placing of errors that carry no
// line.
namespace voromel::lsp {

enum class SectionKind {
  Meta,
  Songs,
  Layers,
  Sounds,
  Tunings,
  Waves,
  Subtitles,
  Motifs,
  Snapshots,
  Reverb,
  Unknown,
};

SectionKind section_kind(std::string_view title);
// The title that selects a kind ("Layers"); empty for Unknown.
std::string_view section_title(SectionKind kind);

// Lines are counted from 0. A heading's body runs up to the next heading of
// any depth; its span up to the next heading of its own depth or less.
struct Heading {
  std::string_view title;
  std::size_t line = 0;
  // The title's byte column within its line.
  std::size_t title_column = 0;
  std::size_t body_end = 0;
  std::size_t span_end = 0;
  // The last line of the span that is not blank (the heading line itself
  // when there is none).
  std::size_t last_line = 0;
};

struct Block {
  Heading heading;
  std::vector<Heading> sub_blocks;
};

struct Section {
  Heading heading;
  SectionKind kind = SectionKind::Unknown;
  std::vector<Block> blocks;
};

struct Outline {
  // The text's lines, without their line ends.
  std::vector<std::string_view> lines;
  std::vector<Section> sections;
  // The first heading that skips a depth, where reading stops.
  std::optional<std::size_t> skipped_depth_line;
};

Outline outline_of(std::string_view text);

// The text with blanks (spaces, tabs and the like) removed at both ends.
std::string_view trim_blanks(std::string_view text);
bool is_blank(std::string_view text);

}  // namespace voromel::lsp
