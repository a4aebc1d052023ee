#include "voromel/track/multisong/track_sections.h"

#include <iterator>
#include <optional>

namespace voromel::track::multisong {

using header_format::Claim;
using header_format::Instance;
using header_format::ParseError;
using header_format::Result;
using header_format::SectionList;

namespace {

template <class Kind>
Result<Claim, ParseError> claim_section(SectionList<Kind>& list,
                                        std::vector<std::string_view>& lines,
                                        std::vector<Instance>& blocks,
                                        TrackSections::ReadState& state) {
  if (auto appended = list.append_blocks(blocks, state); !appended) {
    return std::move(appended).error();
  }
  list.lines.insert(list.lines.end(), lines.begin(), lines.end());
  return Claim::Claimed;
}

}  // namespace

Result<Claim, ParseError> TrackSections::try_parse_into(std::string_view title,
                                                        std::vector<std::string_view>& lines,
                                                        std::vector<Instance>& blocks,
                                                        ReadState& state) {
  std::optional<Result<Claim, ParseError>> answer;
  any_list(*this, [&]<class Kind>(SectionList<Kind>& list) {
    if (Kind::title != title) return false;
    answer = claim_section(list, lines, blocks, state);
    return true;
  });
  if (!answer) return Claim::NotMine;
  return std::move(*answer);
}

}  // namespace voromel::track::multisong
