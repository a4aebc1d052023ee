#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <voromel/result.h>
#include "header_format/parse_error.h"

namespace voromel::header_format {

struct Instance;

// The nested blocks of a block. Headings may nest thousands deep, so
// destroying a tree must not recurse once per level: the destructor takes the
// descendants apart level by level instead.
class Children : public std::vector<Instance> {
 public:
  using std::vector<Instance>::vector;
  Children() = default;
  Children(const Children&) = default;
  Children(Children&&) noexcept = default;
  Children& operator=(const Children&) = default;
  Children& operator=(Children&&) noexcept = default;
  ~Children();
};

// One raw block: a heading of two or more '#', its body and deeper headings.
struct Instance {
  std::string name;
  std::vector<std::string_view> lines;
  Children children;
  // 1-based file line number of the first entry of `lines`.
  std::size_t first_line = 0;
  // The heading line as it stands in the text read; empty for a block built
  // otherwise.
  std::string_view heading;
};

// One '#' section as split from the text.
struct RawSection {
  std::string title;
  std::vector<std::string_view> lines;
  std::vector<Instance> blocks;
};

struct SplitDocument {
  std::vector<std::string_view> leading_lines;
  std::vector<RawSection> sections;
};

Result<SplitDocument, ParseError> split_document(std::string_view text);

// The title or name of a heading line: the text after its run of '#',
// trimmed. A view into `line`.
std::string_view heading_name(std::string_view line);

}  // namespace voromel::header_format
