#include "voromel/header_format/document.h"

#include "header_format/outline.h"
#include "voromel/header_format/section_list.h"

namespace voromel::header_format {

UnknownSection UnknownSection::from_split(RawSection& section) {
  // The body as `serialize` would write it after the heading, without the
  // blank line that separates the two.
  std::string written;
  serialize_section_head(written, section.title, section.lines);
  for (const Instance& block : section.blocks) serialize_instance(written, block, 0);
  const std::size_t heading_end = written.find('\n') + 1;
  const std::size_t body_start =
      written.size() > heading_end && written[heading_end] == '\n' ? heading_end + 1 : heading_end;
  return UnknownSection{std::move(section.title), written.substr(body_start)};
}

void UnknownSection::serialize(std::string& out) const {
  separate(out);
  out += "# ";
  out += title;
  out += '\n';
  if (body.empty()) return;
  out += '\n';
  out += body;
}

}  // namespace voromel::header_format
