#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <voromel/directives.h>
#include <voromel/meta.h>
#include <voromel/result.h>

#include "header_format/parse_error.h"
#include "header_format/split.h"

// The "# Meta" section's grammar.
namespace voromel::header_format {

// Why a meta section could not be read; each kind carries one text.
struct MetaError {
  enum class Kind { EmptyValue, UnknownDirective, NotADirective, UnknownSubsection };

  Kind kind;
  std::string text_value;

  std::string text() const;
  friend bool operator==(const MetaError&, const MetaError&) = default;
};

// Reads the section's own lines, then its blocks; a failure is a boxed
// `MetaError`.
Result<Meta, ParseError> read_meta(std::span<const std::string_view> lines,
                                   std::span<const Instance> blocks);
// The heading line of the sub-block that `meta`, read from `blocks`, notes
// as unread; empty when it notes none.
std::string_view unread_sub_block_heading(std::span<const Instance> blocks, const Meta& meta);

// Writes the section, heading included; nothing when `meta` is empty.
void write_meta(std::string& out, const Meta& meta);

// The meta section's directives, in the order they are written.
std::vector<Directive> meta_directives_described();

}  // namespace voromel::header_format
