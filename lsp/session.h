#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lsp/document_store.h"
#include "lsp/help.h"
#include "lsp/protocol.h"

namespace voromel::lsp {

struct InitializeParams {
  // The encodings the client offers (`general.positionEncodings`).
  std::vector<std::string> position_encodings;
};

struct InitializeResult {
  PositionEncoding encoding = PositionEncoding::Utf16;
};

struct DidOpenParams {
  std::string uri;
  std::string text;
  long long version = 0;
};

struct ContentChange {
  // Absent for a change that gives the whole text.
  std::optional<Range> range;
  std::string text;
};

struct DidChangeParams {
  std::string uri;
  long long version = 0;
  std::vector<ContentChange> changes;
};

struct ReferenceParams {
  std::string uri;
  Position position;
  bool include_declaration = true;
};

struct RenameParams {
  std::string uri;
  Position position;
  std::string new_name;
};

// The server's state between messages, with one handler per protocol
// method. Handlers take and give the protocol's values; only the JSON edge
// knows how those are spelled in messages.
class Session {
 public:
  InitializeResult initialize(const InitializeParams& params);

  PublishDiagnostics did_open(DidOpenParams params);
  // An error, which the server logs, when the document is not open or the
  // change is not newer than the text held.
  Reply<PublishDiagnostics> did_change(DidChangeParams params);
  Reply<PublishDiagnostics> did_close(const std::string& uri);

  Reply<std::vector<TextEdit>> formatting(const std::string& uri) const;
  Reply<std::vector<DocumentSymbol>> document_symbol(const std::string& uri) const;
  Reply<std::vector<FoldingRange>> folding_range(const std::string& uri) const;
  Reply<std::optional<Location>> definition(const TextDocumentPosition& params) const;
  Reply<std::vector<Location>> references(const ReferenceParams& params) const;
  Reply<WorkspaceEdit> rename(const RenameParams& params) const;
  Reply<std::vector<CompletionItem>> completion(const TextDocumentPosition& params) const;
  Reply<std::optional<Hover>> hover(const TextDocumentPosition& params) const;
  Reply<std::vector<std::string>> semantic_tokens_full(const std::string& uri) const;
  Reply<std::vector<std::string>> semantic_tokens_range(const std::string& uri, Range range) const;

  PositionEncoding encoding() const { return encoding_; }
  // The server's copy of an open document; nothing when it is not open.
  const OpenDocument* document(const std::string& uri) const { return store_.find(uri); }

 private:
  PublishDiagnostics publish(const std::string& uri) const;

  DocumentStore store_;
  PositionEncoding encoding_ = PositionEncoding::Utf16;
};

}  // namespace voromel::lsp
