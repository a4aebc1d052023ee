#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "header_format/parse_error.h"
#include "header_format/result.h"
#include "header_format/text.h"
#include "track/parse_error.h"

namespace voromel::track {

// How a section grammar hands a line error to the framework. Both keep the
// line number within the block in the message; `AtLine` also lets the
// framework put the file line number in front of it.
enum class LineErrorWrap { Boxed, AtLine };

// Reads a block body into a fresh value, line by line: each line trimmed,
// blank ones skipped, numbered from 1 with blank lines counted.
// `apply(value, line, line_number)` returns `LineResult<Ok>`; the first error ends
// the reading and no value is returned.
template <class Value, class Apply>
header_format::Result<Value, header_format::ParseError> parse_body(
    std::span<const std::string_view> lines, LineErrorWrap wrap, Apply&& apply) {
  Value value;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string_view line = header_format::trim(lines[index]);
    if (line.empty()) continue;
    const std::size_t line_number = index + 1;
    const LineResult<header_format::Ok> applied = apply(value, line, line_number);
    if (applied) continue;
    if (wrap == LineErrorWrap::Boxed) return header_format::ParseError::boxed(applied.error());
    return header_format::ParseError::at_line(line_number, applied.error());
  }
  return value;
}

}  // namespace voromel::track
