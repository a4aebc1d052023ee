#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>

#include <voromel/blocks.h>
#include <voromel/result.h>
#include "header_format/parse_error.h"

// Snapshot blocks: one "<param> <value>" entry per line.
namespace voromel::track::multisong {

struct SnapshotSection {
  using Value = Snapshot;
  static constexpr std::string_view title = "Snapshots";

  // Errors carry the line number within the block and are not moved to the
  // file line.
  static voromel::Result<Snapshot, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  static void serialize(const Snapshot& snapshot, std::string& out);
};

}  // namespace voromel::track::multisong
