#pragma once

#include <optional>
#include <string>

#include <voromel/model.h>

// What a model built or changed in memory must hold so that its canonical
// text reads back to it: each name or text must stay one token or one line
// where the grammar reads one, and names that must be unique are.
namespace voromel::track::multisong {

// The first field, in the order the canonical text writes it, whose text
// would not read back as written, with the reason: "marker name '12' in
// '## main' of '# Songs' is a number, which would read back as a beat".
std::optional<std::string> unwritable_field(const TrackDocument& document);

}  // namespace voromel::track::multisong
