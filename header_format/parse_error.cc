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
  if (kind_ != Kind::AtLine) return *this;
  return ParseError(kind_, first_line + line_number_ - 1, inner_text_, refuses_);
}

}  // namespace voromel::header_format
