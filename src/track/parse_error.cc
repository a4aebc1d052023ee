#include "track/parse_error.h"

namespace voromel::track {

std::string ParseError::text() const {
  if (const auto* line_error = std::get_if<Line>(&variant_)) {
    return "line " + std::to_string(line_error->line_number) + ": " + line_error->message;
  }
  return std::get<Document>(variant_).message;
}

}  // namespace voromel::track
