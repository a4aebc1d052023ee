#include "track/repeated_names.h"

#include <bit>
#include <functional>
#include <limits>
#include <numeric>
#include <vector>

namespace voromel::track {

std::uint64_t standard_name_hash(std::string_view name) {
  return std::hash<std::string_view>{}(name);
}

// A long list's names lie all over the text, and one table of them would be
// read at random, out of every cache; so the names are first gathered into
// groups by the high bits of their hash, and each group is checked in a
// small table of its own. (No list could hold 2^32 names: they would not fit
// in memory.)
std::optional<std::size_t> first_repeated_name(std::span<const std::string_view> names,
                                               NameHash hash) {
  if (names.size() < 2) return std::nullopt;
  // A name's position in the list, and the low half of its hash.
  struct Entry {
    std::uint32_t index;
    std::uint32_t tag;
  };
  const int group_bits = names.size() < 4096 ? 0 : 8;
  const auto group_of = [&](std::uint64_t hashed) -> std::size_t {
    return group_bits == 0 ? 0 : hashed >> (64 - group_bits);
  };
  std::vector<std::uint64_t> hashes(names.size());
  // Entries in order of group, and in list order within one.
  std::vector<std::size_t> group_starts((std::size_t{1} << group_bits) + 1, 0);
  for (std::size_t index = 0; index < names.size(); ++index) {
    hashes[index] = hash(names[index]);
    ++group_starts[group_of(hashes[index]) + 1];
  }
  std::partial_sum(group_starts.begin(), group_starts.end(), group_starts.begin());
  std::vector<std::size_t> next(group_starts.begin(), group_starts.end() - 1);
  std::vector<Entry> grouped(names.size());
  for (std::size_t index = 0; index < names.size(); ++index) {
    grouped[next[group_of(hashes[index])]++] = {static_cast<std::uint32_t>(index),
                                                static_cast<std::uint32_t>(hashes[index])};
  }
  constexpr std::uint32_t free_slot = std::numeric_limits<std::uint32_t>::max();
  std::optional<std::size_t> first;
  // Open addressed, at most half full; a slot holds a position in the group.
  std::vector<std::uint32_t> table;
  for (std::size_t group = 0; group + 1 < group_starts.size(); ++group) {
    const std::span<const Entry> entries(grouped.data() + group_starts[group],
                                         group_starts[group + 1] - group_starts[group]);
    table.assign(std::bit_ceil(2 * entries.size() + 2), free_slot);
    const std::size_t mask = table.size() - 1;
    for (std::uint32_t position = 0; position < entries.size(); ++position) {
      const Entry& entry = entries[position];
      for (std::size_t at = entry.tag & mask;; at = (at + 1) & mask) {
        if (table[at] == free_slot) {
          table[at] = position;
          break;
        }
        const Entry& earlier = entries[table[at]];
        if (earlier.tag == entry.tag && names[earlier.index] == names[entry.index]) {
          if (!first || entry.index < *first) first = entry.index;
          break;
        }
      }
    }
  }
  return first;
}

}  // namespace voromel::track
