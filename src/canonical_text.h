#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "voromel/voromel.h"

// What the tool itself uses to write a text in canonical form: the public
// `format` without its copy of a text that is canonical already.
namespace voromel {

struct CanonicalText {
  // Whether the text given is canonical already; `text` is empty then.
  bool same_as_input = false;
  std::string text;
  // Why the tool's default mode would not replace the text given with this
  // one: the first of the refusals of `Document::check`.
  std::optional<Error> refusal;
};

Result<CanonicalText, Error> canonical_text(std::string_view text);

}  // namespace voromel
