#include <optional>

#include "track/multisong/section_kinds.h"

namespace voromel::track::multisong {

using header_format::Claim;
using header_format::Instance;
using header_format::ParseError;
using voromel::Result;
using voromel::SectionList;

Result<Claim, ParseError> claim_section(TrackSections& sections, std::string_view title,
                                        std::vector<std::string_view>& lines,
                                        std::vector<Instance>& blocks, TrackReadState& state) {
  std::optional<Result<Claim, ParseError>> answer;
  any_list(sections, [&]<class Kind>(SectionList<typename Kind::Value>& list) {
    if (Kind::title != title) return false;
    if (auto appended = header_format::append_blocks<Kind>(list, blocks, state); !appended) {
      answer = std::move(appended).error();
    } else {
      list.lines.insert(list.lines.end(), lines.begin(), lines.end());
      answer = Claim::Claimed;
    }
    return true;
  });
  if (!answer) return Claim::NotMine;
  return std::move(*answer);
}

}  // namespace voromel::track::multisong
