#pragma once

#include <concepts>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <voromel/result.h>
#include <voromel/section_list.h>

#include "header_format/parse_error.h"
#include "header_format/split.h"

namespace voromel::header_format {

// A section kind: the title that selects it, its block value type, and the
// grammar that reads a block body into a value and writes it back. `parse`
// gets the body lines with blank edges removed and reports a failure on its
// k-th line as `ParseError::at_line(k, ...)` (or `boxed` where the kind keeps
// block-relative numbers). `serialize` appends the body lines, each ending in
// '\n', with no heading and no blank line before the first.
template <class Kind>
concept Section = requires(std::span<const std::string_view> lines,
                           const typename Kind::Value& value, std::string& out) {
  { Kind::title } -> std::convertible_to<std::string_view>;
  { Kind::parse(lines) } -> std::same_as<Result<typename Kind::Value, ParseError>>;
  Kind::serialize(value, out);
};

// Reads one block body with the kind's grammar, handing the document's state
// (what one block leaves for the next) to the kinds that take it.
template <Section Kind, class State>
Result<typename Kind::Value, ParseError> parse_block(std::span<const std::string_view> lines,
                                                     State& state) {
  if constexpr (requires { Kind::parse(lines, state); }) {
    return Kind::parse(lines, state);
  } else {
    return Kind::parse(lines);
  }
}

// Writes one block body, handing the writer's state of the document to the
// kinds that take it.
template <Section Kind, class State>
void serialize_block(const typename Kind::Value& value, std::string& out, State& state) {
  if constexpr (requires { Kind::serialize(value, out, state); }) {
    Kind::serialize(value, out, state);
  } else {
    Kind::serialize(value, out);
  }
}

// A kind that writes a block body as it reads it, without holding its
// value, says so with `static constexpr bool writes_as_read = true` and gives
// `write(lines, out, memo)`, where `memo` holds what the document's earlier
// blocks left. A kind that says so is called so: a `write` that does not fit
// is a compile error, never a quiet fall back to reading the value.
template <class Kind>
concept WritesAsRead = Kind::writes_as_read;

// Reads one block body and writes it in canonical form: as it is read for
// the kinds that write so, else through its value.
template <Section Kind, class State, class Memo>
Result<Ok, ParseError> write_block_body(std::span<const std::string_view> lines, std::string& out,
                                        State& read_state, State& write_state, Memo& memo) {
  if constexpr (WritesAsRead<Kind>) {
    return Kind::write(lines, out, memo);
  } else {
    auto value = parse_block<Kind>(lines, read_state);
    if (!value) return std::move(value).error();
    serialize_block<Kind>(value.value(), out, write_state);
    return Ok{};
  }
}

// The canonical heading of a sub-block at `depth` below a block ("### x").
std::string sub_block_heading(const Instance& child, std::size_t depth = 0);

// Writes "# title" after a separating blank line and, if there are any, one
// blank line and the section's own lines.
void serialize_section_head(std::string& out, std::string_view title,
                            std::span<const std::string_view> lines);
void serialize_section_head(std::string& out, std::string_view title,
                            std::span<const std::string> lines);

// Writes "## name" after a separating blank line.
void serialize_block_heading(std::string& out, std::string_view name);

// Parses the blocks of one section in file order and appends them after the
// items `list` holds.
template <Section Kind, class State>
Result<Ok, ParseError> append_blocks(SectionList<typename Kind::Value>& list,
                                     std::vector<Instance>& blocks, State& state) {
  using Value = typename Kind::Value;
  for (Instance& block : blocks) {
    auto value = parse_block<Kind>(block.lines, state);
    if (!value) {
      return value.error()
          .shifted(block.first_line)
          .in_block(Kind::title, block.name)
          .at(block.heading);
    }
    std::optional<std::string> sub_block;
    if (!block.children.empty()) sub_block = sub_block_heading(block.children.front());
    list.items.push_back(
        Named<Value>{std::move(block.name), std::move(value).value(), std::move(sub_block)});
  }
  return Ok{};
}

}  // namespace voromel::header_format
