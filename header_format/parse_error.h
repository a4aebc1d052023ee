#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace voromel::header_format {

// The document framework's error. A boxed or line-tagged error keeps the
// inner error's text, so the framework never needs to know the grammars'
// error types: anything with a `text()` can be boxed. An inner error whose
// `refuses()` holds marks text that reads but that the tool will not
// rewrite, as opposed to text that does not read.
class ParseError {
 public:
  enum class Kind { OrphanSubheader, Boxed, AtLine };

  // `line` is the heading that skips a depth, a view into the text read.
  static ParseError orphan_subheader(std::string_view line) {
    return ParseError(Kind::OrphanSubheader, 0, {}).at(line);
  }
  template <class Inner>
  static ParseError boxed(const Inner& inner) {
    ParseError error(Kind::Boxed, 0, inner.text(), refuses(inner));
    if constexpr (requires { inner.line_number(); }) error.inner_line_ = inner.line_number();
    return error;
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
  // `first_line`: only the text of `AtLine` errors moves; a boxed error keeps
  // its text (the block-relative number the tool prints) and learns its file
  // line.
  ParseError shifted(std::size_t first_line) const;
  // The 1-based file line of an error that `shifted` placed.
  std::optional<std::size_t> file_line() const;

  // The error as raised inside the block `name` of the section `section`.
  ParseError in_block(std::string_view section, std::string_view name) const;
  // The section title and block name of an error raised inside a block;
  // empty otherwise.
  const std::string& section() const { return section_; }
  const std::string& block() const { return block_; }

  // The error as found at `text`, a view into the text read (the offending
  // token, line or heading); a place given earlier, nearer the cause, stays.
  ParseError at(std::string_view text) const;
  // Where the error was found, a view into the text read; empty when not
  // known. Valid only while that text is.
  std::string_view place() const { return place_; }

  // The place is left out: it views a text that may be gone.
  friend bool operator==(const ParseError& a, const ParseError& b) {
    return a.kind_ == b.kind_ && a.line_number_ == b.line_number_ &&
           a.inner_text_ == b.inner_text_ && a.refuses_ == b.refuses_ &&
           a.inner_line_ == b.inner_line_ && a.file_line_ == b.file_line_ &&
           a.section_ == b.section_ && a.block_ == b.block_;
  }

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
  // The inner error's own line of a boxed error, if it has one.
  std::optional<std::size_t> inner_line_;
  std::size_t file_line_ = 0;
  std::string section_;
  std::string block_;
  std::string_view place_;
};

}  // namespace voromel::header_format
