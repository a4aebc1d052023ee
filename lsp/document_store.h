#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <voromel/structure.h>

#include "lsp/positions.h"

namespace voromel::lsp {

// An open document: the client's text of it, the version it gave, where
// its lines start, kept in step through ranged changes, and the library's
// reading of it, which each change brings up to date.
struct OpenDocument {
  std::string text;
  long long version = 0;
  std::vector<std::size_t> line_starts;
  mutable Reading reading;
};

// The documents the client has open, by URI. The client owns their text:
// the server only ever holds the latest full copy.
class DocumentStore {
 public:
  void open(std::string uri, std::string text, long long version);
  // Replaces the text of an open document; false when it is not open.
  bool replace(const std::string& uri, std::string text, long long version);
  // Applies ranged changes in order, as a client that sends edits does.
  bool edit(const std::string& uri, std::span<const RangedEdit> edits, long long version,
            PositionEncoding encoding);
  void close(const std::string& uri);
  const OpenDocument* find(const std::string& uri) const;

 private:
  std::unordered_map<std::string, OpenDocument> documents_;
};

}  // namespace voromel::lsp
