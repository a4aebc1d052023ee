#include "header_format/document_reader.h"

#include "header_format/outline.h"
#include "header_format/section_grammar.h"

namespace voromel::header_format {

UnknownSection read_unknown_section(RawSection& section) {
  // The body as `write_unknown_section` would write it after the heading, without the
  // blank line that separates the two.
  std::string written;
  serialize_section_head(written, section.title, section.lines);
  for (const Instance& block : section.blocks) serialize_instance(written, block, 0);
  const std::size_t heading_end = written.find('\n') + 1;
  const std::size_t body_start =
      written.size() > heading_end && written[heading_end] == '\n' ? heading_end + 1 : heading_end;
  return UnknownSection{std::move(section.title), written.substr(body_start)};
}

void write_unknown_section(std::string& out, const UnknownSection& section) {
  serialize_section_head(out, section.title, std::span<const std::string_view>());
  if (section.body.empty()) return;
  out += '\n';
  out += section.body;
}

}  // namespace voromel::header_format
