#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lsp/positions.h"

namespace voromel::lsp {

// An open document: the client's text of it, the version it gave and where
// its lines start, kept in step through ranged changes.
struct OpenDocument {
  std::string text;
  long long version = 0;
  std::vector<std::size_t> line_starts;
};

// The documents the client has open, by URI. The client owns their text:
// the server only ever holds the latest full copy.
class DocumentStore {
 public:
  void open(std::string uri, std::string text, long long version);
  // Replaces the text of an open document; false when it is not open.
  bool replace(const std::string& uri, std::string text, long long version);
  // Applies one ranged change, as a client that sends edits does.
  bool edit(const std::string& uri, Range range, std::string_view text, long long version,
            PositionEncoding encoding);
  void close(const std::string& uri);
  const OpenDocument* find(const std::string& uri) const;

 private:
  std::unordered_map<std::string, OpenDocument> documents_;
};

}  // namespace voromel::lsp
