#include "track/multisong/write_memo.h"

#include <utility>

#include "track/format/notes.h"

namespace voromel::track::multisong {

namespace {

constexpr std::size_t longest_short_tail = 7;

// The tail's length, then its bytes: no two tails of up to seven bytes share
// a key, and none is 0.
std::uint64_t short_key(std::string_view tail) {
  std::uint64_t key = tail.size();
  for (const char c : tail) key = key << 8 | static_cast<unsigned char>(c);
  return key;
}

}  // namespace

const std::string* NoteTails::line_end(std::string_view tail) {
  Short* slot = nullptr;
  if (tail.size() <= longest_short_tail) {
    const std::uint64_t key = short_key(tail);
    slot = &short_[(key * 0x9E3779B97F4A7C15u) >> 54];
    if (slot->key == key) return slot->line_end;
    slot->key = 0;
  }
  if (const auto found = canonical_.find(tail); found != canonical_.end()) {
    if (slot) *slot = Short{short_key(tail), &found->second};
    return &found->second;
  }
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
  const std::string* kept = &canonical_.emplace(tail, std::move(text)).first->second;
  if (slot) *slot = Short{short_key(tail), kept};
  return kept;
}

}  // namespace voromel::track::multisong
