#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <voromel/voromel.h>

// Where things are in a text: its sections, blocks, lines and names, as the
// library's readers take them. For editors and other tools that point into
// a text rather than hold its model.
namespace voromel {

// A section by its title; Unknown for a title the library does not read.
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

// The title of a known section ("Layers"); empty for Unknown.
std::string_view section_title(SectionKind kind);

// What a line is to the readers.
enum class LineKind {
  // Empty or white space only.
  Blank,
  // Text before the first heading.
  Leading,
  // "# Title".
  SectionHeading,
  // "## name".
  BlockHeading,
  // "###" or deeper: nothing reads it, nor its lines.
  SubBlockHeading,
  // A body line that starts with '@'.
  Directive,
  // Any other line that is not blank.
  Content,
};

// What a name names. A subtrack placement names a layer, as a song's
// "@layer" does; Subtrack tells the two uses apart.
enum class NameKind {
  Layer,
  Sound,
  Motif,
  Subtrack,
  Tuning,
  ReverbPreset,
  Wave,
  Parameter,
  Marker,
};

// The section whose block headings define names of `kind`; none for
// parameters and markers, which songs define by directives.
std::optional<SectionKind> defining_section(NameKind kind);

// A name in a text, where the readers read it.
struct NamePlace {
  NameKind kind = NameKind::Layer;
  // A block heading, "@param" or "@marker" defines it; anything else uses
  // it.
  bool defines = false;
  TextSpan span;

  friend bool operator==(const NamePlace&, const NamePlace&) = default;
};

struct BlockPlace {
  // The heading line, without its line end, and the name in it.
  TextSpan heading;
  TextSpan name;
  // The 1-based line of the heading, and the line after the block's last
  // (the next heading of its depth or less, or one past the text's end).
  std::size_t line = 0;
  std::size_t end_line = 0;
  // Whether the block reads; one that does not still gives the names read
  // before its error.
  bool reads = true;
  // The headings of its sub-blocks, at any depth, in file order.
  std::vector<BlockPlace> sub_blocks;
};

struct SectionPlace {
  SectionKind kind = SectionKind::Unknown;
  TextSpan heading;
  TextSpan title;
  std::size_t line = 0;
  std::size_t end_line = 0;
  std::vector<BlockPlace> blocks;
};

// The structure of a whole text. A block that does not read leaves the
// others as they are; a heading that skips a depth ends the sections there.
struct Structure {
  std::vector<SectionPlace> sections;
  // The kind of every line from `first_line` on: line n is at index
  // n - first_line.
  std::vector<LineKind> lines;
  std::size_t first_line = 1;
  // Every name defined or used, in file order.
  std::vector<NamePlace> names;
  // Every token read as a number, in the order read.
  std::vector<TextSpan> numbers;
  // The '@' and word of every directive of every directive line ("@volume"
  // of "@volume 1 @pan 0"), in the order the lines are met.
  std::vector<TextSpan> directives;
};

// The structure of `text`, read by the same readers as `Document::read`. A
// text that is not valid UTF-8 has no sections and no names. Only the
// blocks whose lines reach into the 1-based lines [first_line, end_line)
// are read: the others give their places and the kinds of their lines, but
// no names and no numbers.
Structure structure_of(std::string_view text, std::size_t first_line = 1,
                       std::size_t end_line = SIZE_MAX);

// A text read again as it changes: each read re-reads only the blocks that
// the change touched, plus what the rules of the whole document need (the
// first error in file order, text before a first block, sub-blocks, a
// repeated "# Meta"). A change to a heading, to "# Meta" or to a tuning
// reads the whole text again.
class Reading {
 public:
  Reading();
  ~Reading();
  Reading(Reading&&) noexcept;
  Reading& operator=(Reading&&) noexcept;

  // Reads `text` in place of the text read before.
  void read(std::string_view text);
  // The error that `format` gives for the text last read; nothing when it
  // would write the text.
  const std::optional<Error>& problem() const;
  // The structure of the text last read, as `structure_of` gives it, but
  // only of the sections and blocks whose lines reach into the 1-based lines
  // [first_line, end_line): `lines` holds the kinds of their lines only,
  // and a section keeps its heading when only some of its blocks are in
  // the range. Time in proportion to those blocks, not to the whole text. A text
  // whose headings do not split it is read whole.
  Structure structure(std::size_t first_line, std::size_t end_line) const;
  // The uses, among names of `kinds`, of names that nothing in the text
  // last read defines, in file order.
  std::vector<NamePlace> undefined_uses(std::span<const NameKind> kinds) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace voromel
