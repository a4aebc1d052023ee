#pragma once

#include <cstddef>
#include <string>

namespace voromel::header_format {

// The document framework's error. A boxed or line-tagged error keeps the
// inner error's text, so the framework never needs to know the grammars'
// error types: anything with a `text()` can be boxed.
class ParseError {
 public:
  enum class Kind { OrphanSubheader, Boxed, AtLine };

  static ParseError orphan_subheader() { return ParseError(Kind::OrphanSubheader, 0, {}); }
  template <class Inner>
  static ParseError boxed(const Inner& inner) {
    return ParseError(Kind::Boxed, 0, inner.text());
  }
  template <class Inner>
  static ParseError at_line(std::size_t line, const Inner& inner) {
    return ParseError(Kind::AtLine, line, inner.text());
  }

  Kind kind() const { return kind_; }
  // The line of an `AtLine` error; 0 for the other kinds.
  std::size_t line() const { return line_; }
  const std::string& inner_text() const { return inner_text_; }
  std::string text() const;

  // The error as seen from the file, for a block whose first body line is
  // `first_line`: only `AtLine` errors move.
  ParseError shifted(std::size_t first_line) const;

  friend bool operator==(const ParseError&, const ParseError&) = default;

 private:
  ParseError(Kind kind, std::size_t line, std::string inner_text)
      : kind_(kind), line_(line), inner_text_(std::move(inner_text)) {}

  Kind kind_;
  std::size_t line_;
  std::string inner_text_;
};

}  // namespace voromel::header_format
