#include "lsp/document_store.h"

namespace voromel::lsp {

void DocumentStore::open(std::string uri, std::string text, long long version) {
  documents_.insert_or_assign(std::move(uri), OpenDocument{std::move(text), version, {}});
}

bool DocumentStore::replace(const std::string& uri, std::string text, long long version) {
  const auto found = documents_.find(uri);
  if (found == documents_.end()) return false;
  // The reading stays: it re-reads only what the new text changed.
  found->second.text = std::move(text);
  found->second.version = version;
  return true;
}

bool DocumentStore::edit(const std::string& uri, Range range, std::string_view text,
                         long long version, PositionEncoding encoding) {
  const auto found = documents_.find(uri);
  if (found == documents_.end()) return false;
  std::string& current = found->second.text;
  const LineIndex index(current, encoding);
  const std::size_t begin = index.offset_of(range.start);
  const std::size_t end = std::max(begin, index.offset_of(range.end));
  current.replace(begin, end - begin, text);
  found->second.version = version;
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
