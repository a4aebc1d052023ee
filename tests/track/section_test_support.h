#pragma once

#include <string>
#include <string_view>
#include <vector>

// Helpers for the tests of section kinds.
namespace voromel::track::testing {

// The lines of a body text, each without its '\n'.
inline std::vector<std::string> body_lines(std::string_view text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Reads a body with the kind's grammar and writes it back; a failure gives
// "error: " and the error text as the framework would show it for a block
// whose body starts on file line 1.
template <class Kind>
std::string reformat(const std::vector<std::string>& lines) {
  auto value = Kind::parse(lines);
  if (!value) return "error: " + value.error().shifted(1).text();
  std::string out;
  Kind::serialize(value.value(), out);
  return out;
}

// Formats the canonical text of a body once more, which must change nothing.
template <class Kind>
std::string reformat_text(std::string_view text) {
  return reformat<Kind>(body_lines(text));
}

}  // namespace voromel::track::testing
