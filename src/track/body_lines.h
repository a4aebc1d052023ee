#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "header_format/text.h"
#include "track/parse_error.h"

namespace voromel::track {

// One non-blank line of a block body.
struct BodyLine {
  std::string_view raw;
  // `raw` trimmed; never empty.
  std::string_view text;
  // Counted from 1 at the first line of the body, blank lines included.
  std::size_t line_number;

  // A line is indented when its very first character is a space or a tab;
  // other leading white space does not count.
  bool indented() const { return raw.front() == ' ' || raw.front() == '\t'; }
};

// Hands each non-blank line of a block body to `visit(const BodyLine&)`,
// which returns `Result<Ok, E>`; the first error ends the walk and is
// returned.
template <class Visit>
auto for_each_body_line(std::span<const std::string_view> lines, Visit&& visit)
    -> decltype(visit(std::declval<const BodyLine&>())) {
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string_view text = header_format::trim(lines[index]);
    if (text.empty()) continue;
    auto visited = visit(BodyLine{lines[index], text, index + 1});
    if (!visited) return visited;
  }
  return voromel::Ok{};
}

// How a section grammar hands a line error to the framework. Both keep the
// line number within the block in the message; `AtLine` also lets the
// framework put the file line number in front of it.
enum class LineErrorWrap { Boxed, AtLine };

// Reads a block body into a fresh value, line by line.
// `apply(value, text, line_number)` returns `LineResult<Ok>`; the first error
// ends the reading and no value is returned.
template <class Value, class Apply>
voromel::Result<Value, header_format::ParseError> parse_body(
    std::span<const std::string_view> lines, LineErrorWrap wrap, Apply&& apply) {
  Value value;
  auto read = for_each_body_line(
      lines, [&](const BodyLine& line) -> voromel::Result<voromel::Ok, header_format::ParseError> {
        const LineResult<voromel::Ok> applied = apply(value, line.text, line.line_number);
        if (applied) return voromel::Ok{};
        if (wrap == LineErrorWrap::Boxed) {
          return header_format::ParseError::boxed(applied.error()).at(line.text);
        }
        return header_format::ParseError::at_line(line.line_number, applied.error()).at(line.text);
      });
  if (!read) return std::move(read).error();
  return value;
}

}  // namespace voromel::track
