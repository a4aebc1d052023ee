#pragma once

#include <optional>
#include <string>
#include <vector>

namespace voromel {

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
  // The first sub-block of the Tags and Description blocks, in file order,
  // which nothing reads: a write refuses a meta that has one.
  std::optional<UnreadSubBlock> unread_sub_block;

  // Whether it sets nothing, so that it is not written at all.
  bool empty() const;

  friend bool operator==(const Meta&, const Meta&) = default;
};

}  // namespace voromel
