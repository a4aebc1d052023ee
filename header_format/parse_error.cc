#include "header_format/parse_error.h"

namespace voromel::header_format {

std::string ParseError::text() const {
  switch (kind_) {
    case Kind::OrphanSubheader:
      return "subheader without an enclosing header";
    case Kind::Boxed:
      return inner_text_;
    case Kind::AtLine:
      return "line " + std::to_string(line_number_) + ": " + inner_text_;
  }
  return inner_text_;
}

ParseError ParseError::shifted(std::size_t first_line) const {
  ParseError moved = *this;
  if (kind_ == Kind::AtLine) {
    moved.line_number_ = first_line + line_number_ - 1;
    moved.file_line_ = moved.line_number_;
  } else if (kind_ == Kind::Boxed && inner_line_) {
    moved.file_line_ = first_line + *inner_line_ - 1;
  }
  return moved;
}

std::optional<std::size_t> ParseError::file_line() const {
  if (file_line_ == 0) return std::nullopt;
  return file_line_;
}

ParseError ParseError::in_block(std::string_view section, std::string_view name) const {
  ParseError placed = *this;
  placed.section_ = section;
  placed.block_ = name;
  return placed;
}

ParseError ParseError::at(std::string_view text) const {
  ParseError placed = *this;
  if (placed.place_.data() == nullptr) placed.place_ = text;
  return placed;
}

}  // namespace voromel::header_format
