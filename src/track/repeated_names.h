#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// Finding a name that a list holds twice, such as a song's marker names.
namespace voromel::track {

using NameHash = std::uint64_t (*)(std::string_view);

std::uint64_t standard_name_hash(std::string_view name);

// The position of the first name, in list order, that an earlier name of the
// list equals; none when all differ. Time and memory are linear in the list.
// `hash` is only ever replaced by tests, to make names collide.
std::optional<std::size_t> first_repeated_name(std::span<const std::string_view> names,
                                               NameHash hash = standard_name_hash);

}  // namespace voromel::track
