#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <voromel/header_format/meta.h>

namespace voromel::header_format {

// A section with a title nobody claims, kept and written back as it was
// read.
struct UnknownSection {
  std::string title;
  // Its own lines and its blocks, nested ones included, as they are written
  // back: each line ends in '\n'.
  std::string body;

  friend bool operator==(const UnknownSection&, const UnknownSection&) = default;
};

// One document: its known sections are those of `Set`. It owns all of its
// text.
template <class Set>
struct Document {
  // Whether the text began with a byte-order mark. It belongs to no line:
  // it is read past and written back in front of everything.
  bool has_byte_order_mark = false;
  // Lines before the first heading, carried verbatim. Blank lines at the
  // start of a text are read past, so a write refuses a first line that is
  // blank. The empty line written after them, which separates them from the
  // first heading, reads back as the last of them; a write does not count
  // it as a difference.
  std::vector<std::string> leading_lines;
  // The last "# Meta" section; a later one replaces an earlier one entirely.
  Meta meta;
  // How many "# Meta" sections the text had. A write refuses more than one,
  // since only the last is kept; 0 and 1 are the same to it.
  std::size_t meta_sections = 0;
  Set sections;
  std::vector<UnknownSection> unknown;

  friend bool operator==(const Document&, const Document&) = default;
};

}  // namespace voromel::header_format
