#pragma once

#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <voromel/header_format/meta.h>
#include <voromel/header_format/parse_error.h>
#include <voromel/header_format/result.h>
#include <voromel/header_format/split.h>

namespace voromel::header_format {

// The answer of a section set offered a section.
enum class Claim { Claimed, NotMine };

// A document's set of typed sections. `try_parse_into` is offered every
// section but Meta, with its title, own lines and blocks, and the state that
// reading one document carries from section to section; it either claims
// the section (moving out what it keeps), answers NotMine (touching
// nothing), or fails.
template <class Set>
concept Sections = std::default_initializable<Set> &&
    std::default_initializable<typename Set::ReadState> &&
    requires(Set& set, std::string_view title, std::vector<std::string_view>& lines,
             std::vector<Instance>& blocks, typename Set::ReadState& state) {
  { set.try_parse_into(title, lines, blocks, state) } -> std::same_as<Result<Claim, ParseError>>;
};

// A section with a title nobody claims, kept and written back as split.
struct UnknownSection {
  std::string title;
  // Its own lines and its blocks, nested ones included, as they are written
  // back: each line ends in '\n'.
  std::string body;

  // The section as split from a text.
  static UnknownSection from_split(RawSection& section);
  void serialize(std::string& out) const;
};

// U+FEFF in UTF-8, which some editors put at the very start of a file.
inline constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

// One parsed file. It owns all of its text.
template <Sections Set>
struct Document {
  // Whether the text began with a byte-order mark. It belongs to no line:
  // it is read past and written back in front of everything.
  bool has_byte_order_mark = false;
  // Lines before the first heading, carried verbatim.
  std::vector<std::string> leading_lines;
  // The last "# Meta" section; a later one replaces an earlier one entirely.
  Meta meta;
  // How many "# Meta" sections the text had.
  std::size_t meta_sections = 0;
  Set sections;
  std::vector<UnknownSection> unknown;

  static Result<Document, ParseError> parse_with(std::string_view text) {
    const bool marked = text.starts_with(byte_order_mark);
    if (marked) text.remove_prefix(byte_order_mark.size());
    auto document = parse_unmarked(text);
    if (document) document.value().has_byte_order_mark = marked;
    return document;
  }
  // Reads a text whose byte-order mark, if it had one, is taken off already:
  // one more at its start is part of its first line.
  static Result<Document, ParseError> parse_unmarked(std::string_view text) {
    auto split = split_document(text);
    if (!split) return std::move(split).error();
    Document document;
    const auto& leading_lines = split.value().leading_lines;
    document.leading_lines.assign(leading_lines.begin(), leading_lines.end());
    typename Set::ReadState state;
    for (RawSection& section : split.value().sections) {
      if (auto added = document.add_section(section, state); !added) {
        return std::move(added).error();
      }
    }
    return document;
  }

  // Written by the set's own writer, which is found in the set's namespace.
  std::string serialize() const { return serialize_document(*this); }

 private:
  Result<Ok, ParseError> add_section(RawSection& section, typename Set::ReadState& state) {
    if (section.title == "Meta") {
      auto read = Meta::from_block(section.lines, section.blocks);
      if (!read) return std::move(read).error();
      meta = std::move(read).value();
      ++meta_sections;
      return Ok{};
    }
    auto claim = sections.try_parse_into(section.title, section.lines, section.blocks, state);
    if (!claim) return std::move(claim).error();
    if (claim.value() == Claim::NotMine) {
      unknown.push_back(UnknownSection::from_split(section));
    }
    return Ok{};
  }
};

}  // namespace voromel::header_format
