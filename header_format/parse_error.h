#pragma once

#include <cstddef>
#include <string>

namespace voromel::header_format {

// The document framework's error. A boxed or line-tagged error keeps the
// inner error's text, so the framework never needs to know the grammars'
// error types: anything with a `text()` can be boxed. An inner error whose
// `refuses()` holds marks text that reads but that the tool will not
// rewrite, as opposed to text that does not read.
class ParseError {
 public:
  enum class Kind { OrphanSubheader, Boxed, AtLine };

  static ParseError orphan_subheader() { return ParseError(Kind::OrphanSubheader, 0, {}); }
  template <class Inner>
  static ParseError boxed(const Inner& inner) {
    return ParseError(Kind::Boxed, 0, inner.text(), refuses(inner));
  }
  template <class Inner>
  static ParseError at_line(std::size_t line_number, const Inner& inner) {
    return ParseError(Kind::AtLine, line_number, inner.text(), refuses(inner));
  }

  Kind kind() const { return kind_; }
  // The line number of an `AtLine` error; 0 for the other kinds.
  std::size_t line_number() const { return line_number_; }
  const std::string& inner_text() const { return inner_text_; }
  std::string text() const;
  bool refuses() const { return refuses_; }

  // The error as seen from the file, for a block whose first body line is
  // `first_line`: only `AtLine` errors move.
  ParseError shifted(std::size_t first_line) const;

  friend bool operator==(const ParseError&, const ParseError&) = default;

 private:
  ParseError(Kind kind, std::size_t line_number, std::string inner_text, bool refuses = false)
      : kind_(kind),
        line_number_(line_number),
        inner_text_(std::move(inner_text)),
        refuses_(refuses) {}

  template <class Inner>
  static bool refuses(const Inner& inner) {
    if constexpr (requires { inner.refuses(); }) {
      return inner.refuses();
    } else {
      return false;
    }
  }

  Kind kind_;
  std::size_t line_number_;
  std::string inner_text_;
  bool refuses_;
};

}  // namespace voromel::header_format
