#include "lsp/document_store.h"

namespace voromel::lsp {

void DocumentStore::open(std::string uri, std::string text, long long version) {
  std::vector<std::size_t> starts = line_starts(text);
  documents_.insert_or_assign(std::move(uri),
                              OpenDocument{std::move(text), version, std::move(starts), {}});
}

bool DocumentStore::replace(const std::string& uri, std::string text, long long version) {
  const auto found = documents_.find(uri);
  if (found == documents_.end()) return false;
  // The reading stays: it re-reads only what the new text changed.
  found->second.line_starts = line_starts(text);
  found->second.text = std::move(text);
  found->second.version = version;
  return true;
}

bool DocumentStore::edit(const std::string& uri, std::span<const RangedEdit> edits,
                         long long version, PositionEncoding encoding) {
  const auto found = documents_.find(uri);
  if (found == documents_.end()) return false;
  OpenDocument& document = found->second;
  // A few edits move the rest of the text each; many are made in pieces.
  constexpr std::size_t few = 2;
  if (edits.size() <= few) {
    for (const RangedEdit& edit : edits) {
      replace_range(document.text, document.line_starts, edit.range, edit.text, encoding);
    }
  } else {
    replace_ranges(document.text, document.line_starts, edits, encoding);
  }
  document.version = version;
  return true;
}

void DocumentStore::close(const std::string& uri) {
  documents_.erase(uri);
}

const OpenDocument* DocumentStore::find(const std::string& uri) const {
  const auto found = documents_.find(uri);
  return found == documents_.end() ? nullptr : &found->second;
}

}  // namespace voromel::lsp
