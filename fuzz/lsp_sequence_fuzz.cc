// libFuzzer target: the language server driven as an editor would, and as a
// hostile one would. It opens documents, sends ranged changes of multi-byte
// text and requests at any position, also negative, fractional and huge
// ones. After every change the server's copy of each document must equal
// the client's, worked out here apart from the server; the server must
// never die, hang or stop serving.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/server.h"
#include "tests/lsp/messages.h"

namespace {

using voromel::lsp::testing::json_string;

// Pieces of inserted text: characters of one to four bytes, line ends of
// both kinds and lines of the format.
constexpr const char* pieces[] = {
    "a",
    " ",
    "\t",
    "\n",
    "\r\n",
    "\r",
    "\xC3\xA9",
    "\xE6\xBC\xA2",
    "\xF0\x9F\x98\x80",
    "\xC2\xA0",
    "\xE3\x80\x80",
    "\"",
    "\\",
    "# Songs\n",
    "## a\n",
    "@tempo 90\n",
    "@layer a\n",
    "# Layers\n",
    "sine 0 60 1\n",
    "# Sounds\n",
    "motif m 0 a tuning t\n",
    "### x\n",
    "''\n",
    "# Meta\n",
};

// One coordinate as the client spells it, and what the server makes of it:
// a number of the protocol or a refusal.
struct Coordinate {
  std::string json;
  std::optional<std::size_t> value;
};

Coordinate coordinate(FuzzedDataProvider& input, std::size_t usual_limit) {
  switch (input.ConsumeIntegralInRange<int>(0, 15)) {
    case 0:
      return {"-1", std::nullopt};
    case 1:
      return {"2.5", std::nullopt};
    case 2:
      return {"1e30", std::nullopt};
    case 3:
      return {"2147483648", std::nullopt};
    case 4:
      return {"2147483647", 2147483647};
    default: {
      const auto value = input.ConsumeIntegralInRange<std::size_t>(0, usual_limit);
      return {std::to_string(value), value};
    }
  }
}

struct Position {
  std::string json;
  std::optional<std::size_t> line;
  std::optional<std::size_t> character;
  bool valid() const { return line && character; }
};

Position position(FuzzedDataProvider& input) {
  const Coordinate line = coordinate(input, 12);
  const Coordinate character = coordinate(input, 12);
  return {R"({"line":)" + line.json + R"(,"character":)" + character.json + "}", line.value,
          character.value};
}

std::size_t sequence_length(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// The client's reading of a position: past the end of its line is the
// line's end (before a carriage return ending it), past the last line the
// end of the text, inside a character the start of that character.
std::size_t offset_of(const std::string& text, std::size_t line, std::size_t character, bool utf8) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < line; ++i) {
    const std::size_t feed = text.find('\n', start);
    if (feed == std::string::npos) return text.size();
    start = feed + 1;
  }
  std::size_t end = text.find('\n', start);
  if (end == std::string::npos) {
    end = text.size();
  } else if (end > start && text[end - 1] == '\r') {
    --end;
  }
  std::size_t column = 0;
  std::size_t at = start;
  while (at < end) {
    const std::size_t length = sequence_length(static_cast<unsigned char>(text[at]));
    const std::size_t width = utf8 ? length : (length == 4 ? 2 : 1);
    if (column + width > character) break;
    column += width;
    at += length;
  }
  return at;
}

std::string inserted_text(FuzzedDataProvider& input) {
  std::string text;
  const int count = input.ConsumeIntegralInRange<int>(0, 4);
  for (int i = 0; i < count; ++i) {
    text += pieces[input.ConsumeIntegralInRange<std::size_t>(0, std::size(pieces) - 1)];
  }
  return text;
}

class Client {
 public:
  explicit Client(FuzzedDataProvider& input) : input_(input), server_(nullptr) {
    utf8_ = input_.ConsumeBool();
    const std::string encodings = utf8_ ? R"(["utf-8"])" : R"(["utf-16"])";
    send(
        R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{"general":{"positionEncodings":)" +
        encodings + "}}}}");
    send(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
  }

  void step() {
    switch (input_.ConsumeIntegralInRange<int>(0, 7)) {
      case 0:
        return open();
      case 1:
        return close();
      case 2:
        return change_whole();
      case 3:
      case 4:
      case 5:
        return change_ranges();
      default:
        return ask();
    }
  }

  void finish() {
    send(R"({"jsonrpc":"2.0","id":1,"method":"shutdown"})");
    if (server_.serve(R"({"jsonrpc":"2.0","method":"exit"})", out_)) std::abort();
  }

 private:
  std::string uri() { return "file:///" + std::to_string(input_.ConsumeIntegralInRange(0, 2)); }

  void send(const std::string& body) {
    out_.str("");
    if (!server_.serve(body, out_)) std::abort();
  }

  // The server's copy of every open document equals the client's.
  void check() {
    for (const auto& [uri, document] : documents_) {
      const auto* held = server_.session().document(uri);
      if (!held || held->text != document.text || held->version != document.version) {
        std::cerr << "the server's copy of " << uri << " differs from the client's\n";
        std::abort();
      }
    }
  }

  void open() {
    const std::string name = uri();
    const std::string text = inserted_text(input_);
    send(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":")" +
         name + R"(","languageId":"track","version":1,"text":)" + json_string(text) + "}}}");
    documents_[name] = {text, 1};
    check();
  }

  void close() {
    const std::string name = uri();
    send(R"({"jsonrpc":"2.0","method":"textDocument/didClose","params":{"textDocument":{"uri":")" +
         name + R"("}}})");
    documents_.erase(name);
    check();
  }

  // A version, now and then one not above the document's, which the server
  // ignores.
  long long next_version(long long current) {
    return input_.ConsumeIntegralInRange<int>(0, 7) == 0 ? current : current + 1;
  }

  void change_whole() {
    const std::string name = uri();
    const auto found = documents_.find(name);
    const long long version = found == documents_.end() ? 1 : next_version(found->second.version);
    const std::string text = inserted_text(input_) + inserted_text(input_);
    send(notification(name, version, R"({"text":)" + json_string(text) + "}"));
    if (found != documents_.end() && version > found->second.version) {
      found->second = {text, version};
    }
    check();
  }

  void change_ranges() {
    const std::string name = uri();
    const auto found = documents_.find(name);
    std::string text = found == documents_.end() ? std::string() : found->second.text;
    const long long version = found == documents_.end() ? 1 : next_version(found->second.version);
    bool valid = true;
    std::string changes;
    const int count = input_.ConsumeIntegralInRange<int>(1, 4);
    for (int i = 0; i < count; ++i) {
      const Position start = position(input_);
      const Position end = position(input_);
      const std::string replacement = inserted_text(input_);
      if (!changes.empty()) changes += ',';
      changes += R"({"range":{"start":)" + start.json + R"(,"end":)" + end.json + R"(},"text":)" +
                 json_string(replacement) + "}";
      if (!start.valid() || !end.valid()) {
        valid = false;
        continue;
      }
      const std::size_t begin = offset_of(text, *start.line, *start.character, utf8_);
      const std::size_t stop = std::max(begin, offset_of(text, *end.line, *end.character, utf8_));
      text.replace(begin, stop - begin, replacement);
    }
    send(notification(name, version, changes));
    if (found != documents_.end() && valid && version > found->second.version) {
      found->second = {text, version};
    }
    check();
  }

  std::string notification(const std::string& name, long long version, const std::string& changes) {
    return R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":")" +
           name + R"(","version":)" + std::to_string(version) + R"(},"contentChanges":[)" +
           changes + "]}}";
  }

  void ask() {
    static constexpr const char* methods[] = {
        "textDocument/hover",
        "textDocument/definition",
        "textDocument/completion",
        "textDocument/references",
        "textDocument/rename",
        "textDocument/documentSymbol",
        "textDocument/foldingRange",
        "textDocument/formatting",
        "textDocument/semanticTokens/full",
        "textDocument/semanticTokens/range",
    };
    const std::string method =
        methods[input_.ConsumeIntegralInRange<std::size_t>(0, std::size(methods) - 1)];
    const Position at = position(input_);
    const Position to = position(input_);
    send(R"({"jsonrpc":"2.0","id":2,"method":")" + method +
         R"(","params":{"textDocument":{"uri":")" + uri() + R"("},"position":)" + at.json +
         R"(,"range":{"start":)" + at.json + R"(,"end":)" + to.json +
         R"(},"newName":"b","context":{"includeDeclaration":true}}})");
    // Every request gets one answer.
    if (out_.str().find("\"id\":2") == std::string::npos) std::abort();
  }

  struct Document {
    std::string text;
    long long version = 0;
  };

  FuzzedDataProvider& input_;
  voromel::lsp::Server server_;
  std::ostringstream out_;
  bool utf8_ = false;
  std::map<std::string, Document> documents_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  Client client(input);
  while (input.remaining_bytes() > 0) client.step();
  client.finish();
  return 0;
}
