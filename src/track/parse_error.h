#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <voromel/result.h>
#include "header_format/parse_error.h"

namespace voromel::track {

// The grammars' error: a message about one line, or about the whole document.
class ParseError {
 public:
  struct Line {
    std::size_t line_number;
    std::string message;
    friend bool operator==(const Line&, const Line&) = default;
  };
  struct Document {
    std::string message;
    friend bool operator==(const Document&, const Document&) = default;
  };

  static ParseError line(std::size_t line_number, std::string message) {
    return ParseError(Line{line_number, std::move(message)});
  }
  static ParseError document(std::string message) {
    return ParseError(Document{std::move(message)});
  }

  const std::variant<Line, Document>& variant() const { return variant_; }
  // The line of a `Line` error.
  std::optional<std::size_t> line_number() const {
    if (const auto* line_error = std::get_if<Line>(&variant_)) return line_error->line_number;
    return std::nullopt;
  }
  std::string text() const;

  friend bool operator==(const ParseError&, const ParseError&) = default;

 private:
  explicit ParseError(std::variant<Line, Document> variant) : variant_(std::move(variant)) {}

  std::variant<Line, Document> variant_;
};

// A text as messages show what a line wrote: in single quotes.
inline std::string quoted(std::string_view text) {
  std::string out = "'";
  out += text;
  out += '\'';
  return out;
}

// Results of the line grammars.
template <class T>
using LineResult = voromel::Result<T, ParseError>;

}  // namespace voromel::track
