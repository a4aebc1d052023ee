#include "track/multisong/write_memo.h"

#include <utility>

#include "track/format/notes.h"

namespace voromel::track::multisong {

const std::string* NoteTails::line_end(std::string_view tail) {
  if (const auto found = canonical_.find(tail); found != canonical_.end()) return &found->second;
  auto canonical = format::canonical_note_tail(tail);
  if (!canonical) return nullptr;
  std::string text = ' ' + std::move(*canonical) + '\n';
  // Enough for the tails a document repeats, however many notes it has.
  constexpr std::size_t most_tails = 4096;
  constexpr std::size_t longest_tail = 256;
  if (canonical_.size() == most_tails || tail.size() > longest_tail) {
    unkept_ = std::move(text);
    return &unkept_;
  }
  return &canonical_.emplace(tail, std::move(text)).first->second;
}

}  // namespace voromel::track::multisong
