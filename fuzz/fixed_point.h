#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/utf8.h"
#include "track/multisong/track_sections.h"
#include "track/upgrade.h"

// The property the fuzz target checks, shared with the test that replays its
// findings: a text that parses is written in a form that reads back to the
// same text, in one rewrite, and so is the document the upgrade lifts.
namespace voromel::fuzz {

struct Fault {
  std::string what;
  std::string written;
  std::string again;
};

inline std::optional<Fault> rewrite_fault(const std::string& written) {
  auto reread = track::multisong::TrackDocument::parse_with(written);
  if (!reread) return Fault{"the written text does not parse", written, reread.error().text()};
  std::string again = reread.value().serialize();
  if (again != written) return Fault{"the written text is not a fixed point", written, again};
  return std::nullopt;
}

inline std::optional<Fault> fixed_point_fault(std::string_view text) {
  // The tool refuses anything else before parsing.
  if (!cli::is_valid_utf8(text)) return std::nullopt;
  auto document = track::multisong::TrackDocument::parse_with(text);
  if (!document) return std::nullopt;
  if (auto fault = rewrite_fault(document.value().serialize())) return fault;
  auto upgraded = track::upgrade_pre_0_20(document.value(), "fuzz");
  if (upgraded && upgraded.value()) return rewrite_fault(document.value().serialize());
  return std::nullopt;
}

}  // namespace voromel::fuzz
