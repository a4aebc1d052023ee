#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <voromel/structure.h>

// The names of a document as the library reads them, grouped so that the
// server can go from a name to everything that names the same thing.
namespace voromel::lsp {

class NameIndex {
 public:
  NameIndex(std::string_view text, const Structure& structure);

  // The name whose span holds byte `offset`, its end included.
  const NamePlace* at(std::size_t offset) const;
  std::string_view text_of(const NamePlace& name) const;

  // The places that define and that use what `name` names, in file order.
  // A block name names a block of its section; a parameter is one across
  // the document; a marker is one within its song.
  std::vector<TextSpan> definitions(const NamePlace& name) const;
  std::vector<TextSpan> uses(const NamePlace& name) const;
  // The same, for `text` in place of the name's own text.
  std::vector<TextSpan> definitions(const NamePlace& name, std::string_view text) const;

 private:
  struct Key {
    int group;
    std::size_t scope;
    std::string_view text;
    auto operator<=>(const Key&) const = default;
  };
  Key key_of(const NamePlace& name, std::string_view text) const;
  // The names keyed `key`, in file order.
  std::vector<const NamePlace*> named(const Key& key) const;

  std::string_view text_;
  const Structure& structure_;
  // Where each song's block starts, in file order, for markers' scope.
  std::vector<std::size_t> song_starts_;
  // The names by key, then in file order.
  std::vector<std::pair<Key, const NamePlace*>> by_key_;
};

}  // namespace voromel::lsp
