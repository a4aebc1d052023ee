#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/session.h"

namespace voromel::lsp {

// The protocol's positions are unsigned 32-bit integers that fit a signed
// one; anything else is refused rather than clamped.
constexpr std::uint64_t coordinate_limit = std::uint64_t{1} << 31;
std::string bad_coordinate(std::string_view name);

// The changes of a didChange, read straight from the message into their
// typed form: a client may send thousands in one message, and building a
// JSON value of each would cost more than applying it.
struct ReadChanges {
  // Whether the params held a "contentChanges" array.
  bool present = false;
  std::vector<ContentChange> changes;
  // Why the changes do not read: the first change that does not.
  std::optional<std::string> problem;
};

struct Message {
  // Discarded when the body is not valid JSON. A "contentChanges" array of
  // the params is not in it, but in `changes`.
  nlohmann::json json;
  ReadChanges changes;
};

// Reads a message body, whose long strings are decoded apart from the JSON
// library when they can be.
Message read_message(std::string_view body);

}  // namespace voromel::lsp
