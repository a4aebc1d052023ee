#include "header_format/document.h"

#include "header_format/section_list.h"

namespace voromel::header_format {

void UnknownSection::serialize(std::string& out) const {
  serialize_section_head(out, title, lines);
  for (const Instance& block : blocks) serialize_instance(out, block, 0);
}

}  // namespace voromel::header_format
