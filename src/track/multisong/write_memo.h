#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

// What writing a document block by block carries from one block to the next.
namespace voromel::track::multisong {

// The canonical text of note-line tails, what follows "<sound> <start>
// <pitch>" ("2 glide 5 linear"). A document repeats a few tails over and
// over, so each is read and written once: by `format::canonical_note_tail`,
// which sees the tail alone. Holds at most a few thousand short tails.
class NoteTails {
 public:
  // What ends a note line with the tail `tail`: one space, the tail's
  // canonical text and the line end; nothing when the tail does not read
  // on its own. Valid until the next call.
  const std::string* line_end(std::string_view tail);

 private:
  // Tails are a few bytes long ("1", "0.25 volume 0.5"): a byte-at-a-time
  // hash costs less than a general one, and spreads them as well.
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      std::uint64_t hash = 0xcbf29ce484222325u;
      for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
      return static_cast<std::size_t>(hash);
    }
  };
  std::unordered_map<std::string, std::string, Hash, std::equal_to<>> canonical_;
  // Most tails are a duration alone, a few bytes long: those kept are found
  // again by their bytes packed into one word, before any hashing.
  struct Short {
    std::uint64_t key = 0;
    const std::string* line_end = nullptr;
  };
  std::array<Short, 1024> short_{};
  // The text of a tail there was no room to keep.
  std::string unkept_;
};

struct WriteMemo {
  NoteTails note_tails;
};

}  // namespace voromel::track::multisong
