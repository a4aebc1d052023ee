#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voromel {

// One block of a typed section.
template <class Value>
struct Named {
  std::string name;
  Value value;
  // The heading of the block's first sub-block ("### x"), which nothing
  // reads; remembered so that a write refuses to drop it.
  std::optional<std::string> unread_sub_block;

  friend bool operator==(const Named&, const Named&) = default;
};

// One known section: its own lines before the first block, which nothing
// reads (a write refuses a section that has any), and its blocks, whose
// values are `Value`s.
template <class Value>
struct SectionList {
  std::vector<std::string> lines;
  std::vector<Named<Value>> items;

  // The first block named `name`, or null.
  Named<Value>* find(std::string_view name) {
    for (Named<Value>& item : items) {
      if (item.name == name) return &item;
    }
    return nullptr;
  }
  const Named<Value>* find(std::string_view name) const {
    return const_cast<SectionList*>(this)->find(name);
  }

  friend bool operator==(const SectionList&, const SectionList&) = default;
};

}  // namespace voromel
