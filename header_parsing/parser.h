#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace voromel::header_parsing {

class Parser;

// A heading deeper than one level below the current depth ("###" directly
// inside a section, "##" before any section).
struct SkippedLevel {
  friend bool operator==(SkippedLevel, SkippedLevel) = default;
};

// What one valid heading does to the path: drop `remove` entries from the
// end, then append `title`.
struct PathChanges {
  std::string title;
  std::size_t remove = 0;
  Parser* parser = nullptr;

  // Applies the change and returns the level index of the new entry.
  std::size_t apply();
};

// Nothing for a text line, otherwise the change a heading makes or the
// skipped-level failure. Reads the parser's depth, changes nothing.
std::optional<std::variant<PathChanges, SkippedLevel>> parse_header(Parser& parser,
                                                                    std::string_view line);

// The answers of `Parser::line`.
struct TextLine {
  std::string_view line;
  friend bool operator==(const TextLine&, const TextLine&) = default;
};
struct Heading {
  // 0 for '#', 1 for '##', ...; the title is the last entry of the path.
  std::size_t level;
  friend bool operator==(const Heading&, const Heading&) = default;
};
using LineKind = std::variant<TextLine, Heading, SkippedLevel>;

// Classifies lines one after another, keeping the titles of the open
// headings, outermost first.
class Parser {
 public:
  LineKind line(std::string_view text);

  const std::vector<std::string>& path() const { return path_; }
  std::size_t depth() const { return path_.size(); }

 private:
  friend struct PathChanges;
  std::vector<std::string> path_;
};

}  // namespace voromel::header_parsing
