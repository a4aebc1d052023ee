#pragma once

#include <cstddef>
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
  // The canonical text of `tail`, or nothing when it does not read on its
  // own. Valid until the next call.
  const std::string* canonical(std::string_view tail);

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::unordered_map<std::string, std::string, Hash, std::equal_to<>> canonical_;
  // The text of a tail there was no room to keep.
  std::string unkept_;
};

struct WriteMemo {
  NoteTails note_tails;
};

}  // namespace voromel::track::multisong
