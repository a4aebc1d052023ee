#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "header_format/parse_error.h"
#include "header_format/result.h"

namespace voromel::track::multisong {

// The body of a block whose grammar this tool does not read yet: its lines,
// kept and written back verbatim so that nothing is lost.
struct RawBlock {
  std::vector<std::string> lines;
  friend bool operator==(const RawBlock&, const RawBlock&) = default;
};

template <const char* Title>
struct RawBlockSection {
  using Value = RawBlock;
  static constexpr std::string_view title = Title;

  static header_format::Result<RawBlock, header_format::ParseError> parse(
      std::span<const std::string> lines) {
    return RawBlock{{lines.begin(), lines.end()}};
  }

  static void serialize(const RawBlock& block, std::string& out) {
    for (const std::string& line : block.lines) {
      out += line;
      out += '\n';
    }
  }
};

}  // namespace voromel::track::multisong
