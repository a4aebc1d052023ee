#include "lsp/server.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <exception>
#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "header_format/text.h"
#include "lsp/framing.h"
#include "lsp/json_strings.h"
#include "lsp/message_reader.h"
#include "lsp/semantic_tokens.h"

#ifndef VOROMEL_LSP_VERSION
#define VOROMEL_LSP_VERSION "0"
#endif

namespace voromel::lsp {

using nlohmann::json;

namespace {

// Thrown inside the edge only, for parameters that are missing or of the
// wrong type; the client gets InvalidParams.
struct BadParams {
  std::string message;
};

std::size_t coordinate(const json& in, const char* name) {
  const auto found = in.is_object() ? in.find(name) : in.end();
  // The JSON library keeps a non-negative integer unsigned, a negative one
  // signed and one beyond 64 bits as a floating-point number.
  if (found == in.end() || !found->is_number_unsigned() ||
      found->get<std::uint64_t>() >= coordinate_limit) {
    throw BadParams{bad_coordinate(name)};
  }
  return static_cast<std::size_t>(found->get<std::uint64_t>());
}

}  // namespace

// How the protocol's values are spelled in JSON.
void from_json(const json& in, Position& position) {
  position.line = coordinate(in, "line");
  position.character = coordinate(in, "character");
}

void to_json(json& out, const Position& position) {
  out = json{{"line", position.line}, {"character", position.character}};
}

void to_json(json& out, const Range& range) {
  out = json{{"start", range.start}, {"end", range.end}};
}

void from_json(const json& in, Range& range) {
  in.at("start").get_to(range.start);
  in.at("end").get_to(range.end);
}

void to_json(json& out, const Location& location) {
  out = json{{"uri", location.uri}, {"range", location.range}};
}

void to_json(json& out, const TextEdit& edit) {
  out = json{{"range", edit.range}, {"newText", edit.new_text}};
}

void to_json(json& out, const Diagnostic& diagnostic) {
  out = json{{"range", diagnostic.range},
             {"severity", static_cast<int>(diagnostic.severity)},
             {"source", "voromel"},
             {"message", diagnostic.message}};
}

void to_json(json& out, const FoldingRange& range) {
  out = json{{"startLine", range.start_line}, {"endLine", range.end_line}};
}

void to_json(json& out, const CompletionItem& item) {
  // Settings are properties of their block.
  out = json{{"label", item.label},
             {"kind", 10},
             {"detail", item.detail},
             {"documentation", item.documentation},
             {"textEdit", item.edit}};
}

void to_json(json& out, const Hover& hover) {
  out =
      json{{"contents", {{"kind", "markdown"}, {"value", hover.contents}}}, {"range", hover.range}};
}

void to_json(json& out, const WorkspaceEdit& edit) {
  json changes = json::object();
  for (const auto& [uri, edits] : edit.changes) changes[uri] = edits;
  out = json{{"changes", std::move(changes)}};
}

namespace {

template <class T>
void write_reply(std::ostream& out, const json& id, Reply<T>& reply) {
  json message{{"jsonrpc", "2.0"}, {"id", id}};
  if (reply) {
    message["result"] = reply.value();
  } else {
    message["error"] = {{"code", static_cast<int>(reply.error().code)},
                        {"message", reply.error().message}};
  }
  write_frame(out, message.dump(-1, ' ', false, json::error_handler_t::replace));
}

void write_error(std::ostream& out, const json& id, ErrorCode code, const std::string& text) {
  Reply<json> reply(ResponseError{code, text});
  write_reply(out, id, reply);
}

// The replies that grow with the document, semantic tokens and symbols, are
// written as JSON text directly rather than built element by element.
void append_number(std::string& out, std::size_t number) {
  std::array<char, 24> digits;
  const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), number);
  out.append(digits.data(), written.ptr);
}

std::string reply_head(const json& id) {
  return R"({"jsonrpc":"2.0","id":)" + id.dump() + R"(,"result":)";
}

// The tokens' JSON text comes in pieces, which are written one after
// another rather than joined.
void write_semantic_tokens(std::ostream& out, const json& id,
                           const std::vector<std::string>& data) {
  const std::string head = reply_head(id) + R"({"data":[)";
  const std::string_view tail = "]}}";
  std::size_t length = head.size() + tail.size();
  for (const std::string& piece : data) length += piece.size();
  out << "Content-Length: " << length << "\r\n\r\n" << head;
  for (const std::string& piece : data) out << piece;
  out << tail;
  out.flush();
}

void append_position(std::string& out, const Position& position) {
  out += R"({"line":)";
  append_number(out, position.line);
  out += R"(,"character":)";
  append_number(out, position.character);
  out += '}';
}

void append_range(std::string& out, const Range& range) {
  out += R"({"start":)";
  append_position(out, range.start);
  out += R"(,"end":)";
  append_position(out, range.end);
  out += '}';
}

// Only the fields the protocol requires, and children where there are any.
void append_symbols(std::string& out, const std::vector<DocumentSymbol>& symbols) {
  out += '[';
  for (const DocumentSymbol& symbol : symbols) {
    if (&symbol != &symbols.front()) out += ',';
    out += R"({"name":)";
    append_json_string(out, symbol.name);
    out += R"(,"kind":)";
    append_number(out, static_cast<std::size_t>(symbol.kind));
    out += R"(,"range":)";
    append_range(out, symbol.range);
    out += R"(,"selectionRange":)";
    append_range(out, symbol.selection_range);
    if (!symbol.children.empty()) {
      out += R"(,"children":)";
      append_symbols(out, symbol.children);
    }
    out += '}';
  }
  out += ']';
}

void write_symbols(std::ostream& out, const json& id, const std::vector<DocumentSymbol>& symbols) {
  std::string body = reply_head(id);
  append_symbols(body, symbols);
  body += '}';
  write_frame(out, body);
}

void write_notification(std::ostream& out, std::string_view method, json params) {
  const json message{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
  write_frame(out, message.dump(-1, ' ', false, json::error_handler_t::replace));
}

void publish(std::ostream& out, const PublishDiagnostics& diagnostics) {
  json params{{"uri", diagnostics.uri}, {"diagnostics", diagnostics.diagnostics}};
  if (diagnostics.version) params["version"] = *diagnostics.version;
  write_notification(out, "textDocument/publishDiagnostics", std::move(params));
}

const json& member(const json& in, const char* name) {
  if (!in.is_object() || !in.contains(name)) {
    throw BadParams{std::string("missing '") + name + "'"};
  }
  return in[name];
}

std::string uri_of(const json& params) {
  return member(member(params, "textDocument"), "uri").get<std::string>();
}

// The text is moved out of the message: a large document is not copied.
std::string take_string(json& value) {
  if (!value.is_string()) throw BadParams{"expected a string"};
  return std::move(value.get_ref<std::string&>());
}

TextDocumentPosition position_params(const json& params) {
  return {uri_of(params), member(params, "position").get<Position>()};
}

json capabilities(const InitializeResult& result) {
  return {{"capabilities",
           {{"positionEncoding", result.encoding == PositionEncoding::Utf8 ? "utf-8" : "utf-16"},
            {"textDocumentSync",
             {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
            {"documentFormattingProvider", true},
            {"documentSymbolProvider", true},
            {"foldingRangeProvider", true},
            {"definitionProvider", true},
            {"referencesProvider", true},
            {"renameProvider", true},
            {"completionProvider", {{"triggerCharacters", {"@"}}}},
            {"hoverProvider", true},
            {"semanticTokensProvider",
             {{"legend", {{"tokenTypes", semantic_token_types}, {"tokenModifiers", json::array()}}},
              {"full", true},
              {"range", true}}}}},
          {"serverInfo", {{"name", "voromel-lsp"}, {"version", VOROMEL_LSP_VERSION}}}};
}

InitializeParams initialize_params(const json& params) {
  InitializeParams typed;
  if (!params.is_object()) return typed;
  const auto capabilities = params.find("capabilities");
  if (capabilities == params.end() || !capabilities->is_object()) return typed;
  const auto general = capabilities->find("general");
  if (general == capabilities->end() || !general->is_object()) return typed;
  const auto encodings = general->find("positionEncodings");
  if (encodings == general->end() || !encodings->is_array()) return typed;
  for (const json& encoding : *encodings) {
    if (encoding.is_string()) typed.position_encodings.push_back(encoding.get<std::string>());
  }
  return typed;
}

DidChangeParams change_params(const json& params, ReadChanges& changes) {
  DidChangeParams typed;
  typed.uri = uri_of(params);
  const json& document = member(params, "textDocument");
  if (!document.contains("version") || !document["version"].is_number_integer()) {
    throw BadParams{"'version' must be an integer"};
  }
  typed.version = document["version"].get<long long>();
  if (!changes.present) throw BadParams{"missing 'contentChanges'"};
  if (changes.problem) throw BadParams{*changes.problem};
  typed.changes = std::move(changes.changes);
  return typed;
}

template <class T>
void answer(std::ostream& out, const json& id, Reply<T> reply) {
  write_reply(out, id, reply);
}

// One branch per request method, each a call of its handler.
void serve_request(Session& session, bool& shut_down, const std::string& method, const json& id,
                   json& params, std::ostream& out) {
  if (method == "initialize") {
    answer(out, id, Reply<json>(capabilities(session.initialize(initialize_params(params)))));
  } else if (method == "shutdown") {
    shut_down = true;
    answer(out, id, Reply<json>(json(nullptr)));
  } else if (method == "textDocument/formatting") {
    answer(out, id, session.formatting(uri_of(params)));
  } else if (method == "textDocument/documentSymbol") {
    auto symbols = session.document_symbol(uri_of(params));
    if (!symbols) return answer(out, id, Reply<json>(symbols.error()));
    write_symbols(out, id, symbols.value());
  } else if (method == "textDocument/foldingRange") {
    answer(out, id, session.folding_range(uri_of(params)));
  } else if (method == "textDocument/definition") {
    auto found = session.definition(position_params(params));
    if (!found) return answer(out, id, Reply<json>(found.error()));
    answer(out, id, Reply<json>(found.value() ? json(*found.value()) : json(nullptr)));
  } else if (method == "textDocument/completion") {
    answer(out, id, session.completion(position_params(params)));
  } else if (method == "textDocument/hover") {
    auto found = session.hover(position_params(params));
    if (!found) return answer(out, id, Reply<json>(found.error()));
    answer(out, id, Reply<json>(found.value() ? json(*found.value()) : json(nullptr)));
  } else if (method == "textDocument/semanticTokens/full") {
    auto tokens = session.semantic_tokens_full(uri_of(params));
    if (!tokens) return answer(out, id, Reply<json>(tokens.error()));
    write_semantic_tokens(out, id, tokens.value());
  } else if (method == "textDocument/semanticTokens/range") {
    auto tokens =
        session.semantic_tokens_range(uri_of(params), member(params, "range").get<Range>());
    if (!tokens) return answer(out, id, Reply<json>(tokens.error()));
    write_semantic_tokens(out, id, tokens.value());
  } else if (method == "textDocument/references") {
    const json& context = params.contains("context") ? params["context"] : json::object();
    answer(out, id,
           session.references({uri_of(params), member(params, "position").get<Position>(),
                               context.value("includeDeclaration", true)}));
  } else if (method == "textDocument/rename") {
    answer(out, id,
           session.rename({uri_of(params), member(params, "position").get<Position>(),
                           member(params, "newName").get<std::string>()}));
  } else {
    write_error(out, id, ErrorCode::MethodNotFound, "unknown method: " + method);
  }
}

// One branch per notification method; the others, "$/cancelRequest" among
// them, need nothing: every request is answered before the next is read. A
// notification that cannot be served gives the reason, for the log.
std::optional<std::string> serve_notification(Session& session, const std::string& method,
                                              json& params, ReadChanges& changes,
                                              std::ostream& out) {
  auto publish_or_say_why = [&](Reply<PublishDiagnostics> published) -> std::optional<std::string> {
    if (!published) return published.error().message;
    publish(out, published.value());
    return std::nullopt;
  };
  if (method == "textDocument/didOpen") {
    json& document = params["textDocument"];
    DidOpenParams typed;
    typed.uri = member(document, "uri").get<std::string>();
    typed.version = document.value("version", 0LL);
    member(document, "text");
    typed.text = take_string(document["text"]);
    publish(out, session.did_open(std::move(typed)));
  } else if (method == "textDocument/didChange") {
    return publish_or_say_why(session.did_change(change_params(params, changes)));
  } else if (method == "textDocument/didClose") {
    return publish_or_say_why(session.did_close(uri_of(params)));
  }
  return std::nullopt;
}

bool is_valid_id(const json& id) {
  return id.is_number() || id.is_string();
}

}  // namespace

void Server::log(std::string_view what, std::string_view why) {
  if (log_) *log_ << "voromel-lsp: " << what << ": " << why << '\n';
}

bool Server::serve(std::string_view body, std::ostream& out) {
  // JSON is UTF-8 throughout: checked here once for every string, however
  // long, before any part of the message is decoded.
  if (!header_format::is_valid_utf8(body)) {
    log("message refused", "not valid UTF-8");
    write_error(out, nullptr, ErrorCode::ParseError, "message is not valid UTF-8");
    return true;
  }
  Message read = read_message(body);
  json& message = read.json;
  if (message.is_discarded()) {
    write_error(out, nullptr, ErrorCode::ParseError, "message is not valid JSON");
    return true;
  }
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    // Answers to requests the server never sends are dropped too.
    if (message.is_object() && message.contains("id") && !message.contains("result") &&
        !message.contains("error")) {
      const json& id = message["id"];
      write_error(out, is_valid_id(id) ? id : json(nullptr), ErrorCode::InvalidRequest,
                  "message has no method");
    } else if (!message.is_object()) {
      write_error(out, nullptr, ErrorCode::InvalidRequest, "message is not an object");
    }
    return true;
  }
  const std::string method = message["method"].get<std::string>();
  const bool is_request = message.contains("id");
  const json id = is_request ? message["id"] : json(nullptr);
  if (is_request && !is_valid_id(id)) {
    write_error(out, nullptr, ErrorCode::InvalidRequest, "request id must be a number or a string");
    return true;
  }
  json params = message.contains("params") ? std::move(message["params"]) : json::object();

  if (method == "exit") return false;
  if (!initialized_ && method != "initialize") {
    if (is_request) {
      write_error(out, id, ErrorCode::ServerNotInitialized, "server not initialized");
    }
    return true;
  }
  if (initialized_ && method == "initialize") {
    if (is_request) write_error(out, id, ErrorCode::InvalidRequest, "server already initialized");
    return true;
  }
  if (shut_down_) {
    if (is_request) write_error(out, id, ErrorCode::InvalidRequest, "server is shutting down");
    if (!is_request) log(method + " ignored", "the server is shutting down");
    return true;
  }
  const auto refuse = [&](const std::string& why) {
    if (is_request) write_error(out, id, ErrorCode::InvalidParams, why);
    if (!is_request) log(method + " ignored", why);
  };
  try {
    if (is_request) {
      serve_request(session_, shut_down_, method, id, params, out);
      if (method == "initialize") initialized_ = true;
    } else if (auto why = serve_notification(session_, method, params, read.changes, out)) {
      log(method + " ignored", *why);
    }
  } catch (const BadParams& bad) {
    refuse(bad.message);
  } catch (const json::exception& bad) {
    refuse(bad.what());
  } catch (const std::exception& failure) {
    // A fault of the server's own: the client learns of it and the server
    // serves on.
    if (is_request) write_error(out, id, ErrorCode::InternalError, failure.what());
    if (!is_request) log(method + " failed", failure.what());
  }
  return true;
}

int Server::run(std::istream& in, std::ostream& out) {
  FrameReader reader(in);
  while (true) {
    Frame frame = reader.next();
    switch (frame.kind) {
      case Frame::Kind::End:
        return shut_down_ ? 0 : 1;
      case Frame::Kind::BadHeader:
        write_error(out, nullptr, ErrorCode::ParseError, frame.problem);
        break;
      case Frame::Kind::TooLarge:
        // The body is not read: the stream can no longer be trusted to be in
        // step, so the server says why and stops.
        write_error(out, nullptr, ErrorCode::InvalidRequest, frame.problem);
        log("stopped", frame.problem);
        return 1;
      case Frame::Kind::Message:
        if (!serve(frame.body, out)) return shut_down_ ? 0 : 1;
        break;
    }
  }
}

}  // namespace voromel::lsp
