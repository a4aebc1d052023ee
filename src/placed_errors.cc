#include "placed_errors.h"

#include <algorithm>
#include <utility>

#include "text_places.h"

namespace voromel {

namespace {

std::size_t line_at(std::string_view text, std::size_t offset) {
  return static_cast<std::size_t>(std::count(text.begin(), text.begin() + offset, '\n')) + 1;
}

// The line the reader gave, else the line of the place it found the error
// at. A place on another line than the one given (a block's heading, for an
// error the block's grammar numbers itself) is left out.
Error placed_error(Error::Kind kind, std::string message, std::optional<std::size_t> line,
                   std::optional<BlockName> block, std::string_view text, std::string_view place) {
  std::optional<TextSpan> span = span_in(text, place);
  if (span) {
    const std::size_t place_line = line_at(text, span->begin);
    if (line && *line != place_line) span.reset();
    line = line.value_or(place_line);
  }
  return Error(kind, std::move(message), line, std::move(block), span);
}

}  // namespace

Error located_error(const header_format::ParseError& error, Error::Kind kind,
                    std::string_view text) {
  std::optional<BlockName> block;
  if (!error.section().empty()) block = BlockName{error.section(), error.block()};
  return placed_error(kind, error.text(), error.file_line(), std::move(block), text, error.place());
}

Error read_error(const header_format::ParseError& error, std::string_view text) {
  return located_error(error, error.refuses() ? Error::Kind::Refused : Error::Kind::Unreadable,
                       text);
}

Error refusal_error(track::multisong::Refusal reason, std::string_view text) {
  std::optional<BlockName> block;
  if (!reason.section.empty()) {
    block = BlockName{std::move(reason.section), std::move(reason.block)};
  }
  return placed_error(Error::Kind::Refused, std::move(reason.message), std::nullopt,
                      std::move(block), text, reason.place);
}

}  // namespace voromel
