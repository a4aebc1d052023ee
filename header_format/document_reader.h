#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <voromel/model.h>
#include <voromel/result.h>

#include "header_format/meta_section.h"
#include "header_format/parse_error.h"
#include "header_format/split.h"

// Reading a whole document into its model, section by section.
namespace voromel::header_format {

// U+FEFF in UTF-8, which some editors put at the very start of a file.
inline constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

// The answer of a section set offered a section.
enum class Claim { Claimed, NotMine };

// A document's set of typed sections, read with `State` carried from section
// to section. `claim_section` is offered every section but Meta, with its
// title, own lines and blocks; it either claims the section (moving out what
// it keeps), answers NotMine (touching nothing), or fails.
template <class Set, class State>
concept Sections = std::default_initializable<Set> && std::default_initializable<State> &&
    requires(Set& set, std::string_view title, std::vector<std::string_view>& lines,
             std::vector<Instance>& blocks, State& state) {
  { claim_section(set, title, lines, blocks, state) } -> std::same_as<Result<Claim, ParseError>>;
};

// The section as split from a text.
UnknownSection read_unknown_section(RawSection& section);
void write_unknown_section(std::string& out, const UnknownSection& section);

// Reads a text whose byte-order mark, if it had one, is taken off already:
// one more at its start is part of its first line.
// `Doc` is a document model: a byte-order mark, leading lines, meta and
// unknown sections as `TrackDocument` has them, and its own `sections`.
template <class Doc, class State>
requires Sections<decltype(Doc::sections), State> Result<Doc, ParseError> parse_unmarked_document(
    std::string_view text) {
  auto split = split_document(text);
  if (!split) return std::move(split).error();
  Doc document;
  const auto& leading_lines = split.value().leading_lines;
  document.leading_lines.assign(leading_lines.begin(), leading_lines.end());
  State state;
  for (RawSection& section : split.value().sections) {
    if (section.title == "Meta") {
      auto read = read_meta(section.lines, section.blocks);
      if (!read) return std::move(read).error();
      document.meta = std::move(read).value();
      ++document.meta_sections;
      continue;
    }
    auto claim =
        claim_section(document.sections, section.title, section.lines, section.blocks, state);
    if (!claim) return std::move(claim).error();
    if (claim.value() == Claim::NotMine) {
      document.unknown.push_back(read_unknown_section(section));
    }
  }
  return document;
}

template <class Doc, class State>
requires Sections<decltype(Doc::sections), State> Result<Doc, ParseError> parse_document(
    std::string_view text) {
  const bool marked = text.starts_with(byte_order_mark);
  if (marked) text.remove_prefix(byte_order_mark.size());
  auto document = parse_unmarked_document<Doc, State>(text);
  if (document) document.value().has_byte_order_mark = marked;
  return document;
}

}  // namespace voromel::header_format
