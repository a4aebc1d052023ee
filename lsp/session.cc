#include "lsp/session.h"

#include <algorithm>

#include "lsp/diagnostics.h"
#include "lsp/formatting.h"
#include "lsp/navigation.h"
#include "lsp/semantic_tokens.h"
#include "lsp/symbols.h"

namespace voromel::lsp {

namespace {

ResponseError not_open(const std::string& uri) {
  return {ErrorCode::InvalidParams, "document not open: " + uri};
}

}  // namespace

InitializeResult Session::initialize(const InitializeParams& params) {
  const auto& offered = params.position_encodings;
  encoding_ = std::find(offered.begin(), offered.end(), "utf-8") != offered.end()
                  ? PositionEncoding::Utf8
                  : PositionEncoding::Utf16;
  return {encoding_};
}

PublishDiagnostics Session::publish(const std::string& uri) const {
  const OpenDocument* open = document(uri);
  return {uri, open->version, diagnostics_of(open->text, open->reading, encoding_)};
}

PublishDiagnostics Session::did_open(DidOpenParams params) {
  const std::string uri = params.uri;
  store_.open(std::move(params.uri), std::move(params.text), params.version);
  return publish(uri);
}

Reply<PublishDiagnostics> Session::did_change(DidChangeParams params) {
  const OpenDocument* open = document(params.uri);
  if (!open) return not_open(params.uri);
  if (params.version <= open->version) {
    return ResponseError{ErrorCode::InvalidParams,
                         "version " + std::to_string(params.version) + " of " + params.uri +
                             " is not above the version held, " + std::to_string(open->version)};
  }
  // Ranged changes in a row are applied together.
  std::vector<RangedEdit> edits;
  const auto apply_edits = [&] {
    if (!edits.empty()) store_.edit(params.uri, edits, params.version, encoding_);
    edits.clear();
  };
  for (ContentChange& change : params.changes) {
    if (change.range) {
      edits.push_back({*change.range, change.text});
      continue;
    }
    apply_edits();
    store_.replace(params.uri, std::move(change.text), params.version);
  }
  apply_edits();
  return publish(params.uri);
}

Reply<PublishDiagnostics> Session::did_close(const std::string& uri) {
  if (!document(uri)) return not_open(uri);
  store_.close(uri);
  return PublishDiagnostics{uri, std::nullopt, {}};
}

Reply<std::vector<TextEdit>> Session::formatting(const std::string& uri) const {
  const OpenDocument* open = document(uri);
  if (!open) return not_open(uri);
  return formatting_edits(open->text, encoding_);
}

Reply<std::vector<DocumentSymbol>> Session::document_symbol(const std::string& uri) const {
  const OpenDocument* open = document(uri);
  if (!open) return not_open(uri);
  const LineIndex index(open->text, std::span<const std::size_t>(open->line_starts), encoding_);
  return document_symbols(open->text, index);
}

Reply<std::vector<FoldingRange>> Session::folding_range(const std::string& uri) const {
  const OpenDocument* open = document(uri);
  if (!open) return not_open(uri);
  return folding_ranges(open->text);
}

Reply<std::optional<Location>> Session::definition(const TextDocumentPosition& params) const {
  const OpenDocument* open = document(params.uri);
  if (!open) return not_open(params.uri);
  return definition_of(params.uri, open->text, params.position, encoding_);
}

Reply<std::vector<Location>> Session::references(const ReferenceParams& params) const {
  const OpenDocument* open = document(params.uri);
  if (!open) return not_open(params.uri);
  return references_of(params.uri, open->text, params.position, params.include_declaration,
                       encoding_);
}

Reply<WorkspaceEdit> Session::rename(const RenameParams& params) const {
  const OpenDocument* open = document(params.uri);
  if (!open) return not_open(params.uri);
  return rename_edit(params.uri, open->text, params.position, params.new_name, encoding_);
}

Reply<std::vector<CompletionItem>> Session::completion(const TextDocumentPosition& params) const {
  const OpenDocument* open = document(params.uri);
  if (!open) return not_open(params.uri);
  return completion_at(open->text, params.position, encoding_);
}

Reply<std::optional<Hover>> Session::hover(const TextDocumentPosition& params) const {
  const OpenDocument* open = document(params.uri);
  if (!open) return not_open(params.uri);
  return hover_at(open->text, params.position, encoding_);
}

Reply<std::vector<std::string>> Session::semantic_tokens_full(const std::string& uri) const {
  const OpenDocument* open = document(uri);
  if (!open) return not_open(uri);
  const LineIndex index(open->text, std::span<const std::size_t>(open->line_starts), encoding_);
  return semantic_tokens(open->text, open->reading, index);
}

Reply<std::vector<std::string>> Session::semantic_tokens_range(const std::string& uri,
                                                               Range range) const {
  const OpenDocument* open = document(uri);
  if (!open) return not_open(uri);
  const LineIndex index(open->text, std::span<const std::size_t>(open->line_starts), encoding_);
  return semantic_tokens(open->text, open->reading, index, range.start.line, range.end.line + 1);
}

}  // namespace voromel::lsp
