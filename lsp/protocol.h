#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The protocol's values as the handlers see them. Only the JSON edge
// (server.cc and message_reader.cc) converts them from and to messages.
namespace voromel::lsp {

// Columns count UTF-16 code units unless the client chose UTF-8 bytes.
enum class PositionEncoding { Utf16, Utf8 };

struct Position {
  std::size_t line = 0;
  std::size_t character = 0;
  friend bool operator==(const Position&, const Position&) = default;
};

struct Range {
  Position start;
  Position end;
  friend bool operator==(const Range&, const Range&) = default;
};

struct Location {
  std::string uri;
  Range range;
};

struct TextEdit {
  Range range;
  std::string new_text;
};

enum class DiagnosticSeverity { Error = 1, Warning = 2, Information = 3, Hint = 4 };

struct Diagnostic {
  Range range;
  DiagnosticSeverity severity = DiagnosticSeverity::Error;
  std::string message;
};

struct PublishDiagnostics {
  std::string uri;
  std::optional<long long> version;
  std::vector<Diagnostic> diagnostics;
};

// The symbol kinds of the protocol that the outline uses.
enum class SymbolKind {
  Module = 2,
  Namespace = 3,
  Package = 4,
  Class = 5,
  Property = 7,
  Field = 8,
  Enum = 10,
  Interface = 11,
  Function = 12,
  Constant = 14,
  String = 15,
  Object = 19,
  Event = 24,
  Struct = 23,
};

struct DocumentSymbol {
  std::string name;
  SymbolKind kind = SymbolKind::Namespace;
  Range range;
  Range selection_range;
  std::vector<DocumentSymbol> children;
};

struct FoldingRange {
  std::size_t start_line = 0;
  std::size_t end_line = 0;
  friend bool operator==(const FoldingRange&, const FoldingRange&) = default;
};

// A whole-document edit: the edits of each document, by URI.
struct WorkspaceEdit {
  std::vector<std::pair<std::string, std::vector<TextEdit>>> changes;
};

enum class ErrorCode {
  ParseError = -32700,
  InvalidRequest = -32600,
  MethodNotFound = -32601,
  InvalidParams = -32602,
  InternalError = -32603,
  ServerNotInitialized = -32002,
  RequestFailed = -32803,
};

struct ResponseError {
  ErrorCode code;
  std::string message;
};

// A handler's answer: its value or the error the client gets instead.
template <class T>
class Reply {
 public:
  Reply(T value) : value_(std::move(value)) {}
  Reply(ResponseError error) : error_(std::move(error)) {}

  bool has_value() const { return value_.has_value(); }
  explicit operator bool() const { return has_value(); }
  T& value() { return *value_; }
  const ResponseError& error() const { return *error_; }

 private:
  std::optional<T> value_;
  std::optional<ResponseError> error_;
};

// The parameters of the requests that name a place in a document.
struct TextDocumentPosition {
  std::string uri;
  Position position;
};

}  // namespace voromel::lsp
