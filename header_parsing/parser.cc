#include "header_parsing/parser.h"

#include <algorithm>
#include <utility>

#include "header_format/text.h"

namespace voromel::header_parsing {

std::size_t PathChanges::apply() {
  std::vector<std::string>& path = parser->path_;
  path.resize(path.size() - remove);
  path.push_back(std::move(title));
  return path.size() - 1;
}

std::optional<std::variant<PathChanges, SkippedLevel>> parse_header(Parser& parser,
                                                                    std::string_view line) {
  // Only a run of '#' at column 0 makes a heading; later '#' belong to the title.
  if (!line.starts_with('#')) return std::nullopt;
  const std::size_t marks = std::min(line.find_first_not_of('#'), line.size());
  const std::size_t depth = parser.depth();
  if (marks > depth + 1) return SkippedLevel{};
  return PathChanges{std::string(header_format::trim(line.substr(marks))), depth + 1 - marks,
                     &parser};
}

LineKind Parser::line(std::string_view text) {
  auto header = parse_header(*this, text);
  if (!header) return TextLine{text};
  if (auto* changes = std::get_if<PathChanges>(&*header)) return Heading{changes->apply()};
  return SkippedLevel{};
}

}  // namespace voromel::header_parsing
