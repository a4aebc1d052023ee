#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <voromel/header_format/parse_error.h>
#include <voromel/header_format/result.h>
#include <voromel/header_format/split.h>

namespace voromel::header_format {

// Why a meta section could not be read; each kind carries one text.
struct MetaError {
  enum class Kind { EmptyValue, UnknownDirective, NotADirective, UnknownSubsection };

  Kind kind;
  std::string text_value;

  std::string text() const;
  friend bool operator==(const MetaError&, const MetaError&) = default;
};

// A sub-block inside a "## Tags" or "## Description" block: nothing reads it.
struct UnreadSubBlock {
  // The block it sits in: "Tags" or "Description".
  std::string block;
  // Its canonical heading ("### x").
  std::string heading;
  friend bool operator==(const UnreadSubBlock&, const UnreadSubBlock&) = default;
};

// The document's "# Meta" section.
struct Meta {
  std::optional<std::string> title;
  std::optional<std::string> author;
  // May contain '\n'.
  std::optional<std::string> description;
  std::vector<std::string> tags;
  // The first sub-block of the Tags and Description blocks, in file order.
  std::optional<UnreadSubBlock> unread_sub_block;

  // Reads the section's own lines, then its blocks; a failure is a boxed
  // `MetaError`.
  static Result<Meta, ParseError> from_block(std::span<const std::string_view> lines,
                                             std::span<const Instance> blocks);
  bool empty() const;
  void serialize(std::string& out) const;

  friend bool operator==(const Meta&, const Meta&) = default;
};

// The names of the meta directives ("title", ...), without their '@'.
std::vector<std::string_view> meta_directive_names();

}  // namespace voromel::header_format
