#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/outline.h"

// The names in a document that refer to a block of a section: a song's
// layers, a note's sound, a placement's motif, subtrack, sound and tuning, a
// layer's tuning and reverb preset, a harmonic's and a modulation's wave.
// Worked out from the text line by line, as the grammars read it.
namespace voromel::lsp {

// A name's place: bytes [begin, end) of one line.
struct NamePlace {
  std::size_t line = 0;
  std::size_t begin = 0;
  std::size_t end = 0;
  friend bool operator==(const NamePlace&, const NamePlace&) = default;
};

// A use of a name, and the section whose block it names.
struct NameUse {
  SectionKind target = SectionKind::Unknown;
  std::string_view name;
  NamePlace place;
};

// A '## <name>' heading of a section whose blocks can be named.
struct NameDefinition {
  SectionKind section = SectionKind::Unknown;
  std::string_view name;
  NamePlace place;
};

struct Names {
  std::vector<NameDefinition> definitions;
  std::vector<NameUse> uses;
};

// The sections whose blocks are wanted as targets of uses, one bit per
// `SectionKind`.
using NameTargets = unsigned;
inline constexpr NameTargets all_targets = ~0u;
constexpr NameTargets target(SectionKind kind) {
  return 1u << static_cast<unsigned>(kind);
}

// The definitions, and the uses of the wanted targets; the lines that can
// only name other targets are not read.
Names names_of(const Outline& outline, NameTargets targets = all_targets);

// What sits at a byte of a line: a use or a block heading's name.
struct NameAt {
  SectionKind section = SectionKind::Unknown;
  std::string_view name;
};
std::optional<NameAt> name_at(const Names& names, std::size_t line, std::size_t column);

// Every heading of a block of `section` called `name`, in file order.
std::vector<NamePlace> definitions_of(const Names& names, const NameAt& name);
// Every use of `name` as a block of `section`, in file order.
std::vector<NamePlace> uses_of(const Names& names, const NameAt& name);

// Whether a token reads as a number in the grammars (decimal numbers,
// "inf" and "nan" in any letter case).
bool reads_as_number(std::string_view token);

// Why `name` cannot replace a block name of `section` everywhere it is
// named: it would not read back as that one name. Nothing when it can.
std::optional<std::string> unusable_name(SectionKind section, std::string_view name);

}  // namespace voromel::lsp
