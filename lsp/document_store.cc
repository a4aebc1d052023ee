#include "lsp/document_store.h"

namespace voromel::lsp {

void DocumentStore::open(std::string uri, std::string text, long long version) {
  std::vector<std::size_t> starts = line_starts(text);
  documents_.insert_or_assign(std::move(uri),
                              OpenDocument{std::move(text), version, std::move(starts)});
}

bool DocumentStore::replace(const std::string& uri, std::string text, long long version) {
  const auto found = documents_.find(uri);
  if (found == documents_.end()) return false;
  std::vector<std::size_t> starts = line_starts(text);
  found->second = OpenDocument{std::move(text), version, std::move(starts)};
  return true;
}

bool DocumentStore::edit(const std::string& uri, Range range, std::string_view text,
                         long long version, PositionEncoding encoding) {
  const auto found = documents_.find(uri);
  if (found == documents_.end()) return false;
  OpenDocument& document = found->second;
  replace_range(document.text, document.line_starts, range, text, encoding);
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
