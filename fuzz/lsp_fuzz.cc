// libFuzzer target: the language server's message loop takes any bytes,
// raw or cut into framed messages after a handshake, or documents opened,
// changed and asked about, without crashing, hanging or holding on to
// memory, and ends with an exit status.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "lsp/server.h"
#include "tests/lsp/messages.h"

namespace {

using voromel::lsp::testing::framed;
using voromel::lsp::testing::json_string;
using voromel::lsp::testing::notification;
using voromel::lsp::testing::request;

constexpr std::string_view document = R"({"uri":"file:///f.track")";

std::string position(unsigned line, unsigned character) {
  return R"({"line":)" + std::to_string(line) + R"(,"character":)" + std::to_string(character) +
         "}";
}

// Every request about a document, at a place taken from `seed`.
std::string questions(int& id, unsigned seed) {
  const std::string at = R"({"textDocument":)" + std::string(document) + R"(},"position":)" +
                         position(seed % 7, (seed >> 3) % 23);
  const std::string whole = R"({"textDocument":)" + std::string(document) + "}}";
  std::string stream;
  for (const char* method : {"textDocument/documentSymbol", "textDocument/foldingRange",
                             "textDocument/semanticTokens/full", "textDocument/formatting"}) {
    stream += request(++id, method, whole);
  }
  for (const char* method : {"textDocument/definition", "textDocument/hover",
                             "textDocument/completion", "textDocument/references"}) {
    stream += request(++id, method, at + "}");
  }
  stream += request(++id, "textDocument/rename", at + R"(,"newName":"x"})");
  return stream;
}

// A document opened with the first piece of `data` (cut at NUL bytes), then
// changed with each later one: its first two bytes say where, the rest is
// the new text. Each text is asked about.
std::string document_session(std::string_view data) {
  int id = 0;
  std::string stream = request(++id, "initialize", "{}") + notification("initialized", "{}");
  const std::size_t first_end = std::min(data.find('\0'), data.size());
  stream += notification("textDocument/didOpen",
                         R"({"textDocument":{"uri":"file:///f.track","version":1,"text":)" +
                             json_string(data.substr(0, first_end)) + "}}");
  stream += questions(id, first_end);
  data.remove_prefix(std::min(first_end + 1, data.size()));
  for (int version = 2; !data.empty(); ++version) {
    const std::size_t end = std::min(data.find('\0'), data.size());
    std::string_view piece = data.substr(0, end);
    data.remove_prefix(std::min(end + 1, data.size()));
    const unsigned line = piece.empty() ? 0 : static_cast<unsigned char>(piece[0]) % 8;
    const unsigned character = piece.size() < 2 ? 0 : static_cast<unsigned char>(piece[1]) % 16;
    piece.remove_prefix(std::min<std::size_t>(2, piece.size()));
    const std::string range = R"({"start":)" + position(line, character) + R"(,"end":)" +
                              position(line + character % 2, character / 2) + "}";
    stream += notification("textDocument/didChange",
                           R"({"textDocument":{"uri":"file:///f.track","version":)" +
                               std::to_string(version) + R"(},"contentChanges":[{"range":)" +
                               range + R"(,"text":)" + json_string(piece) + "}]}");
    stream += questions(id, line * 16 + character);
  }
  return stream + request(++id, "shutdown", "null") + notification("exit", "null");
}

// The first byte picks the shape: 0, the bytes as the whole stream; 1, an
// initialize request, then the rest cut at NUL bytes into framed messages
// (so that the handlers see whatever JSON the fuzzer makes up); 2, the rest
// as documents (see `document_session`), which the format's dictionary
// shapes.
std::string stream_of(std::string_view data) {
  if (data.empty()) return {};
  const unsigned shape = static_cast<unsigned char>(data.front()) % 3;
  data.remove_prefix(1);
  if (shape == 0) return std::string(data);
  if (shape == 2) return document_session(data);
  std::string stream = framed(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{}})");
  while (!data.empty()) {
    const std::size_t end = data.find('\0');
    stream += framed(data.substr(0, end));
    if (end == std::string_view::npos) break;
    data.remove_prefix(end + 1);
  }
  return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(stream_of(std::string_view(reinterpret_cast<const char*>(data), size)));
  std::ostringstream out;
  voromel::lsp::Server server;
  const int status = server.run(in, out);
  if (status != 0 && status != 1) std::abort();
  return 0;
}
