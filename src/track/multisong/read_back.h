#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <voromel/model.h>

// How a written model compares with what its text reads back as.
namespace voromel::track::multisong {

// A text in single quotes, its line ends shown as escapes so that a message
// stays on one line.
std::string shown_text(std::string_view text);

// The first field of `given`, in the order the text writes it, that
// `read_back` does not hold the same, named by its path, with the value it
// would read back as: "note 2 of '## bass' in '# Layers': volume '-0' would
// read back as '0'".
std::optional<std::string> first_difference(const TrackDocument& given,
                                            const TrackDocument& read_back);

// The first list of `document` that is not in the order its text is written
// in, which a written text could not give back:
// "notes of '## bass' in '# Layers' must be in start order".
std::optional<std::string> unordered_list(const TrackDocument& document);

}  // namespace voromel::track::multisong
