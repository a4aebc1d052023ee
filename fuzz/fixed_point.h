#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "header_format/text.h"
#include "track/multisong/canonical_form.h"
#include "track/upgrade.h"
#include "voromel/track/multisong/track_sections.h"
#include "voromel/voromel.h"

// The property the fuzz target checks, shared with the test that replays its
// findings: a text that parses is written in a form that reads back to the
// same text, in one rewrite, and so is the document the upgrade lifts; and
// the tool's block-by-block writing gives that same form.
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

// The tool writes a text block by block, and layer notes as they are read;
// that must give what writing the whole document at once gives.
inline std::optional<Fault> block_by_block_fault(std::string_view text, const std::string& whole) {
  const auto form = track::multisong::canonical_form(text);
  if (!form) return Fault{"the text reads as a whole but not block by block", whole, ""};
  const std::string streamed = form.value().same_as_input ? std::string(text) : form.value().text;
  if (streamed != whole)
    return Fault{"block by block the text is written otherwise", whole, streamed};
  return std::nullopt;
}

inline std::optional<Fault> fixed_point_fault(std::string_view text) {
  // The tool refuses anything else before parsing.
  if (!header_format::is_valid_utf8(text)) return std::nullopt;
  auto document = track::multisong::TrackDocument::parse_with(text);
  if (!document) return std::nullopt;
  const std::string whole = document.value().serialize();
  if (auto fault = block_by_block_fault(text, whole)) return fault;
  if (auto fault = rewrite_fault(whole)) return fault;
  // A document that reads, and that the tool would rewrite, is written.
  auto read = voromel::Document::read(text);
  if (read && read.value().check()) {
    auto written = read.value().write();
    if (!written)
      return Fault{"a document read is refused: " + written.error().message(), whole, ""};
  }
  auto upgraded = track::upgrade_pre_0_20(document.value(), "fuzz");
  if (upgraded && upgraded.value()) return rewrite_fault(document.value().serialize());
  return std::nullopt;
}

}  // namespace voromel::fuzz
