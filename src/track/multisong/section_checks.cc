#include "track/multisong/section_checks.h"

#include "header_format/text.h"
#include "track/parse_error.h"

namespace voromel::track::multisong {

using voromel::Ok;
using voromel::Result;
using voromel::SectionList;

namespace {

// Before 0.20 a sound was one line "name: harmonics settings"; such a line in
// the Sounds section gets advice about the block that replaced it.
std::string preamble_advice(std::string_view title, std::string_view line) {
  if (title == "Sounds") {
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
      const std::string_view name = line.substr(0, colon);
      if (!name.empty() && !header_format::contains_white_space(name)) {
        return "the pre-0.20 one-line sound syntax was replaced by a '## " + std::string(name) +
               "' block, one harmonic per line and every setting as its own '@' directive";
      }
    }
  }
  return "move it into a '## <name>' block under '# " + std::string(title) + "'";
}

}  // namespace

std::optional<Refusal> preamble_refusal(std::string_view title,
                                        std::span<const std::string_view> lines) {
  for (const std::string_view raw_line : lines) {
    const std::string_view line = header_format::trim(raw_line);
    if (line.empty()) continue;
    return Refusal{"'" + std::string(line) + "' sits before the first block of '# " +
                       std::string(title) +
                       "', where nothing reads it: " + preamble_advice(title, line),
                   line,
                   std::string(title),
                   {}};
  }
  return std::nullopt;
}

// The meta section takes no blocks but its Tags and Description, so there
// the lines can only go into the block itself.
Refusal sub_block_refusal(std::string_view heading, std::string_view block, std::string_view title,
                          std::string_view place) {
  std::string message = "'" + std::string(heading) + "' sits inside '## " + std::string(block) +
                        "' of '# " + std::string(title) +
                        "', where nothing reads it: move its lines into the block";
  if (title != "Meta") message += " or into a '## <name>' block of its own";
  return Refusal{std::move(message), place, std::string(title), std::string(block)};
}

Refusal repeated_meta_refusal(std::size_t meta_sections, std::string_view place) {
  return Refusal{"'# Meta' appears " + std::to_string(meta_sections) +
                     " times and only the last would be kept: merge them into one '# Meta' section",
                 place,
                 "Meta",
                 {}};
}

}  // namespace voromel::track::multisong
