#pragma once

#include <optional>
#include <string_view>

#include "header_format/parse_error.h"
#include "track/multisong/section_checks.h"
#include "voromel/voromel.h"

// The library's errors placed in the text read, from what the readers say
// about where they are.
namespace voromel {

// An error of reading `text`, as the kind `kind`.
Error located_error(const header_format::ParseError& error, Error::Kind kind,
                    std::string_view text);
// An error of reading `text`: Refused when the reader refuses it, else
// Unreadable.
Error read_error(const header_format::ParseError& error, std::string_view text);
// A refusal of a rewrite of `text`; empty when it comes from a model.
Error refusal_error(track::multisong::Refusal reason, std::string_view text);

}  // namespace voromel
