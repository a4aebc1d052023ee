#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include <voromel/voromel.h>

#include "lsp/framing.h"
#include "lsp/positions.h"
#include "lsp/semantic_tokens.h"
#include "tests/lsp/server_test_support.h"

namespace voromel::lsp::testing {
namespace {

constexpr std::string_view uri = "file:///a.track";

std::string formatting_request();

std::string shutdown_and_exit() {
  return request(99, "shutdown", "null") + notification("exit", "null");
}

TEST(LspLifecycle, InitializeAnswersCapabilitiesAndShutdownThenExitGivesZero) {
  const Served served = serve(handshake() + shutdown_and_exit());
  EXPECT_EQ(served.status, 0);
  ASSERT_EQ(served.messages.size(), 2u);
  expect_json(served.messages[0], R"({"jsonrpc":"2.0","id":0,"result":{
    "capabilities":{"positionEncoding":"utf-16",
      "textDocumentSync":{"openClose":true,"change":2,"save":{"includeText":false}},
      "documentFormattingProvider":true,"documentSymbolProvider":true,
      "foldingRangeProvider":true,"definitionProvider":true,"referencesProvider":true,
      "renameProvider":true,"completionProvider":{"triggerCharacters":["@"]},
      "hoverProvider":true,
      "semanticTokensProvider":{"legend":{
        "tokenTypes":["namespace","class","keyword","number","type"],"tokenModifiers":[]},
        "full":true,"range":true}},
    "serverInfo":{"name":"voromel-lsp","version":"0.2.0"}}})");
  expect_json(served.messages[1], R"({"jsonrpc":"2.0","id":99,"result":null})");
}

TEST(LspLifecycle, ExitStatusTellsWhetherShutdownCame) {
  struct Case {
    const char* name;
    std::string input;
    int status;
  } cases[] = {
      {"exit without shutdown", handshake() + notification("exit", "null"), 1},
      {"end of input without shutdown", handshake(), 1},
      {"end of input after shutdown", handshake() + request(1, "shutdown", "null"), 0},
      {"end in the middle of a message",
       handshake() + "Content-Length: 100\r\n\r\n{\"jsonrpc\":\"2.0\"", 1},
      {"end in the middle of the headers", handshake() + "Content-Len", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(serve(c.input).status, c.status);
  }
}

TEST(LspLifecycle, UtfEightColumnsWhenTheClientOffersThem) {
  const Served served = serve(handshake(R"({"general":{"positionEncodings":["utf-8","utf-16"]}})"));
  ASSERT_FALSE(served.messages.empty());
  EXPECT_NE(served.messages[0].find(R"("positionEncoding":"utf-8")"), std::string::npos)
      << served.messages[0];
}

TEST(LspLifecycle, ErrorsOfTheProtocolAndTheServerGoesOn) {
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> answers;
  } cases[] = {
      {"request before initialize",
       request(1, "textDocument/formatting", "{}") + notification("textDocument/didOpen", "{}") +
           handshake(),
       {R"({"jsonrpc":"2.0","id":1,"error":{"code":-32002,"message":"server not initialized"}})",
        ""}},
      {"unknown request, then unknown notification and a cancel, which get nothing",
       handshake() + request(1, "textDocument/colorPresentation", "{}") +
           notification("workspace/didChangeWatchedFiles", "{}") +
           notification("$/cancelRequest", R"({"id":1})"),
       {"", R"({"jsonrpc":"2.0","id":1,"error":{"code":-32601,
                "message":"unknown method: textDocument/colorPresentation"}})"}},
      {"a body that is not JSON",
       handshake() + framed("{\"jsonrpc\":") + request(1, "shutdown", "null"),
       {"", R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,
                "message":"message is not valid JSON"}})",
        R"({"jsonrpc":"2.0","id":1,"result":null})"}},
      {"no Content-Length",
       handshake() + "Content-Type: x\r\n\r\n{}" + request(1, "shutdown", "null"),
       {"", R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,
                "message":"missing Content-Length header"}})",
        R"({"jsonrpc":"2.0","id":1,"result":null})"}},
      {"a Content-Length that is no number",
       handshake() + "Content-Length: ten\r\n\r\n{}\r\n" + request(1, "shutdown", "null"),
       {"", R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,
                "message":"bad Content-Length header"}})",
        R"({"jsonrpc":"2.0","id":1,"result":null})"}},
      {"a header line without a colon, the length still known",
       handshake() + "Content-Length: 2\r\nnonsense\r\n\r\n{}" + request(1, "shutdown", "null"),
       {"", R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,"message":"bad header line"}})",
        R"({"jsonrpc":"2.0","id":1,"result":null})"}},
      {"a header name in any letter case and bare line feeds",
       handshake() + "content-LENGTH: 46\n\n" + R"({"jsonrpc":"2.0","id":1,"method":"shutdown"}  )",
       {"", R"({"jsonrpc":"2.0","id":1,"result":null})"}},
      {"a message that is no request",
       handshake() + framed("[1,2]") + framed(R"({"id":4})"),
       {"", R"({"jsonrpc":"2.0","id":null,"error":{"code":-32600,
                "message":"message is not an object"}})",
        R"({"jsonrpc":"2.0","id":4,"error":{"code":-32600,"message":"message has no method"}})"}},
      {"parameters of the wrong type",
       handshake() + request(1, "textDocument/formatting", R"({"textDocument":{"uri":3}})"),
       {"", ""}},
      {"a second initialize",
       handshake() + request(1, "initialize", R"({"capabilities":{}})"),
       {"", R"({"jsonrpc":"2.0","id":1,"error":{"code":-32600,
                "message":"server already initialized"}})"}},
      {"requests after shutdown",
       handshake() + request(1, "shutdown", "null") +
           request(2, "textDocument/documentSymbol", R"({"textDocument":{"uri":"x"}})"),
       {"", R"({"jsonrpc":"2.0","id":1,"result":null})",
        R"({"jsonrpc":"2.0","id":2,"error":{"code":-32600,
                "message":"server is shutting down"}})"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Served served = serve(c.input);
    ASSERT_EQ(served.messages.size(), c.answers.size());
    for (std::size_t i = 0; i < c.answers.size(); ++i) {
      // An empty answer is the handshake's, or one whose text is the JSON
      // library's own.
      if (c.answers[i].empty()) continue;
      expect_json(served.messages[i], c.answers[i]);
    }
  }
}

TEST(LspLifecycle, ParametersOfTheWrongTypeGetInvalidParams) {
  const Served served =
      serve(handshake() + request(1, "textDocument/formatting", R"({"textDocument":{"uri":3}})"));
  ASSERT_EQ(served.messages.size(), 2u);
  EXPECT_NE(served.messages[1].find(R"("code":-32602)"), std::string::npos) << served.messages[1];
}

TEST(LspLifecycle, ABodyAnnouncedAboveTheLimitIsAnsweredAtOnceAndTheServerStops) {
  const Served served = serve(handshake() + "Content-Length: 1000000000000\r\n\r\n{}" +
                              request(1, "shutdown", "null"));
  EXPECT_EQ(served.status, 1);
  ASSERT_EQ(served.messages.size(), 2u);
  expect_json(served.messages[1], R"({"jsonrpc":"2.0","id":null,"error":{"code":-32600,
      "message":"message body of 1000000000000 bytes exceeds the limit of 67108864"}})");
  EXPECT_EQ(served.log,
            "voromel-lsp: stopped: message body of 1000000000000 bytes exceeds the limit of "
            "67108864\n");
}

std::string change_notification(std::string_view version, std::string_view change) {
  return notification("textDocument/didChange",
                      R"({"textDocument":{"uri":"file:///a.track")" + std::string(version) +
                          R"(},"contentChanges":[)" + std::string(change) + "]}");
}

// A didOpen whose text is given as it stands in the JSON, escapes included.
std::string raw_open(std::string_view text) {
  return notification("textDocument/didOpen",
                      R"({"textDocument":{"uri":"file:///a.track","version":1,"text":")" +
                          std::string(text) + R"("}})");
}

std::string position_request(const char* method, std::string_view position) {
  return request(
      1, method,
      R"({"textDocument":{"uri":"file:///a.track"},"position":)" + std::string(position) + "}");
}

// What a hostile client may send: each is refused with its reason, to the
// client when it asked something and in the log when it did not, and the
// server's copy of the text is left as it was.
TEST(LspLifecycle, HostileInputsAreRefused) {
  const std::string canonical = "# Songs\n\n## main\n@tempo 90\n";
  const std::string opened = handshake() + did_open(uri, canonical);
  const std::string bad_line = R"(position 'line' must be an integer from 0 to 2147483647)";
  const std::string invalid_line =
      R"({"jsonrpc":"2.0","id":1,"error":{"code":-32602,"message":")" + bad_line + R"("}})";
  const std::string unchanged = R"({"jsonrpc":"2.0","id":1,"result":[]})";
  const std::string published_open =
      R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics",
          "params":{"uri":"file:///a.track","version":1,"diagnostics":[]}})";
  const std::string not_utf8 =
      R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,"message":"message is not valid UTF-8"}})";
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> answers;
    std::string log;
  } cases[] = {
      {"a negative line",
       opened + position_request("textDocument/hover", R"({"line":-1,"character":0})"),
       {published_open, invalid_line},
       ""},
      {"a line above 2^64",
       opened + position_request("textDocument/definition",
                                 R"({"line":18446744073709551616,"character":0})"),
       {published_open, invalid_line},
       ""},
      {"a line of 2^31",
       opened + position_request("textDocument/hover", R"({"line":2147483648,"character":0})"),
       {published_open, invalid_line},
       ""},
      {"a character that is no integer",
       opened + position_request("textDocument/completion", R"({"line":0,"character":2.7})"),
       {published_open, R"({"jsonrpc":"2.0","id":1,"error":{"code":-32602,"message":
           "position 'character' must be an integer from 0 to 2147483647"}})"},
       ""},
      {"a line of 1e30",
       opened + position_request("textDocument/hover", R"({"line":1e30,"character":0})"),
       {published_open, invalid_line},
       ""},
      {"a ranged change from line -1 is not applied",
       opened +
           change_notification(R"(,"version":2)", R"({"range":{"start":{"line":-1,"character":-1},
               "end":{"line":0,"character":0}},"text":"x"})") +
           formatting_request(),
       {published_open, unchanged},
       "voromel-lsp: textDocument/didChange ignored: " + bad_line + "\n"},
      {"a change without its text",
       opened +
           change_notification(R"(,"version":2)", R"({"range":{"start":{"line":0,"character":0},
               "end":{"line":0,"character":0}}})") +
           formatting_request(),
       {published_open, unchanged},
       "voromel-lsp: textDocument/didChange ignored: missing 'text'\n"},
      {"a range without its end, after a change that reads",
       opened + change_notification(R"(,"version":2)", R"({"text":"x"},
               {"range":{"start":{"line":0,"character":0}},"text":"x"})") +
           formatting_request(),
       {published_open, unchanged},
       "voromel-lsp: textDocument/didChange ignored: missing 'end'\n"},
      {"a range that is no object",
       opened + change_notification(R"(,"version":2)", R"({"range":[0,0],"text":"x"})") +
           formatting_request(),
       {published_open, unchanged},
       "voromel-lsp: textDocument/didChange ignored: 'range' must be an object\n"},
      {"a character that is no integer, in a change",
       opened +
           change_notification(R"(,"version":2)", R"({"range":{"start":{"line":0,"character":0},
               "end":{"line":0,"character":1.5}},"text":"x"})") +
           formatting_request(),
       {published_open, unchanged},
       "voromel-lsp: textDocument/didChange ignored: position 'character' must be an integer "
       "from 0 to 2147483647\n"},
      {"a change whose version is not above the document's",
       opened + change_notification(R"(,"version":1)", R"({"text":"x"})") + formatting_request(),
       {published_open, unchanged},
       "voromel-lsp: textDocument/didChange ignored: version 1 of file:///a.track is not above "
       "the version held, 1\n"},
      {"a change without a version",
       opened + change_notification("", R"({"text":"x"})") + formatting_request(),
       {published_open, unchanged},
       "voromel-lsp: textDocument/didChange ignored: 'version' must be an integer\n"},
      {"invalid UTF-8 in a short text",
       handshake() + raw_open("# Songs\\n\xC0\xAF\\n"),
       {not_utf8},
       "voromel-lsp: message refused: not valid UTF-8\n"},
      {"invalid UTF-8 in a text of 4 KB",
       handshake() + raw_open("# Songs\\n" + std::string(5000, 'x') + "\xED\xA0\x80\\n"),
       {not_utf8},
       "voromel-lsp: message refused: not valid UTF-8\n"},
      {"an id that is an object",
       handshake() + framed(R"({"jsonrpc":"2.0","id":{"a":1},"method":"shutdown"})"),
       {R"({"jsonrpc":"2.0","id":null,"error":{"code":-32600,
            "message":"request id must be a number or a string"}})"},
       ""},
      {"an id that is null, in a message without a method",
       handshake() + framed(R"({"jsonrpc":"2.0","id":null})"),
       {R"({"jsonrpc":"2.0","id":null,"error":{"code":-32600,"message":"message has no method"}})"},
       ""},
      {"didOpen after shutdown",
       handshake() + request(1, "shutdown", "null") + did_open(uri, canonical),
       {R"({"jsonrpc":"2.0","id":1,"result":null})"},
       "voromel-lsp: textDocument/didOpen ignored: the server is shutting down\n"},
      {"didClose of a document never opened",
       handshake() +
           notification("textDocument/didClose", R"({"textDocument":{"uri":"file:///b.track"}})"),
       {},
       "voromel-lsp: textDocument/didClose ignored: document not open: file:///b.track\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Served served = serve(c.input);
    const auto messages = after_handshake(served);
    ASSERT_EQ(messages.size(), c.answers.size());
    for (std::size_t i = 0; i < c.answers.size(); ++i) expect_json(messages[i], c.answers[i]);
    EXPECT_EQ(served.log, c.log);
  }
}

std::string published(long long version, std::string_view diagnostics) {
  return R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"uri":")" +
         std::string(uri) + R"(","version":)" + std::to_string(version) + R"(,"diagnostics":)" +
         std::string(diagnostics) + "}}";
}

TEST(LspDiagnostics, TheFirstProblemOnItsFileLine) {
  struct Case {
    const char* name;
    const char* text;
    const char* diagnostics;
  } cases[] = {
      {"a fine document", "# Songs\n\n## main\n@tempo 90\n", "[]"},
      {"a layer line, counted in the file", "# Layers\n## lead\n@volume 1\n@gain 2\n",
       R"([{"range":{"start":{"line":3,"character":0},"end":{"line":3,"character":7}},
           "severity":1,"source":"voromel",
           "message":"line 4: line 2: unknown layer directive 'gain'"}])"},
      {"a layer line that holds no message of its own", "# Layers\n## a\n  pitch 0 1\n",
       R"([{"range":{"start":{"line":2,"character":0},"end":{"line":2,"character":11}},
           "severity":1,"source":"voromel",
           "message":"line 3: indented pitch/volume curve without a preceding note"}])"},
      {"a song line, counted inside its block after the blank lines",
       "# Songs\n\n## main\n\n@tempo 90\n@temp 1\n",
       R"([{"range":{"start":{"line":5,"character":0},"end":{"line":5,"character":7}},
           "severity":1,"source":"voromel",
           "message":"line 2: unknown global directive 'temp'"}])"},
      {"the second song fails, though the first has as many lines",
       "# Songs\n## a\n@tempo 90\n@tempo 80\n## b\n@tempo 70\n@temp 1\n",
       R"([{"range":{"start":{"line":6,"character":0},"end":{"line":6,"character":7}},
           "severity":1,"source":"voromel",
           "message":"line 2: unknown global directive 'temp'"}])"},
      {"a snapshot line", "# Snapshots\n## s\n\ngain 1\ngain\n",
       R"([{"range":{"start":{"line":4,"character":0},"end":{"line":4,"character":4}},
           "severity":1,"source":"voromel",
           "message":"line 2: snapshot entry needs '<param> <value>'"}])"},
      {"a subtitle line", "# Subtitles\n## s\n0 hi\nx hi\n",
       R"([{"range":{"start":{"line":3,"character":0},"end":{"line":3,"character":4}},
           "severity":1,"source":"voromel",
           "message":"line 2: invalid number for subtitle beat: 'x'"}])"},
      {"a motif line", "# Motifs\n## m\n0 60 1\n0 60\n",
       R"([{"range":{"start":{"line":3,"character":0},"end":{"line":3,"character":4}},
           "severity":1,"source":"voromel","message":"line 4: line 2: motif note needs duration"}])"},
      {"a harmonic line", "# Sounds\n## s\nsine x\n",
       R"([{"range":{"start":{"line":2,"character":0},"end":{"line":2,"character":6}},
           "severity":1,"source":"voromel",
           "message":"line 3: line 1: invalid number for sine: 'x'"}])"},
      {"a meta block, on its heading", "# Meta\n## Notes\nx\n",
       R"([{"range":{"start":{"line":1,"character":0},"end":{"line":1,"character":8}},
           "severity":1,"source":"voromel","message":"unknown meta subsection '## Notes'"}])"},
      {"a second meta section, on its heading", "# Meta\n@title A\n# Meta\n@title B\n",
       R"([{"range":{"start":{"line":2,"character":0},"end":{"line":2,"character":6}},
           "severity":2,"source":"voromel",
           "message":"'# Meta' appears 2 times and only the last would be kept: merge them into one '# Meta' section"}])"},
      {"a reverb preset line", "# Reverb\n## hall\nmix 0.5\nsize 1\n",
       R"([{"range":{"start":{"line":3,"character":0},"end":{"line":3,"character":6}},
           "severity":1,"source":"voromel","message":"line 2: unknown reverb key 'size'"}])"},
      {"a meta directive, whose message has no line", "# Meta\n@title X\n@colour red\n",
       R"([{"range":{"start":{"line":2,"character":0},"end":{"line":2,"character":11}},
           "severity":1,"source":"voromel","message":"unknown meta directive '@colour'"}])"},
      {"a heading that skips a depth", "# Songs\n## a\n#### deep\n",
       R"([{"range":{"start":{"line":2,"character":0},"end":{"line":2,"character":9}},
           "severity":1,"source":"voromel",
           "message":"subheader without an enclosing header"}])"},
      {"text the tool refuses to rewrite is a warning",
       "# Layers\nstray text\n## lead\n@volume 0.5\n",
       R"([{"range":{"start":{"line":1,"character":0},"end":{"line":1,"character":10}},
           "severity":2,"source":"voromel",
           "message":"'stray text' sits before the first block of '# Layers', where nothing reads it: move it into a '## <name>' block under '# Layers'"}])"},
      {"two quotes before a section's first block", "# Sounds\n\n''\n\n## a\nsine 1\n",
       R"([{"range":{"start":{"line":2,"character":0},"end":{"line":2,"character":2}},
           "severity":2,"source":"voromel",
           "message":"'''' sits before the first block of '# Sounds', where nothing reads it: move it into a '## <name>' block under '# Sounds'"}])"},
      {"a sub-block nothing reads", "# Layers\n## lead\n@volume 0.5\n### notes\nx\n",
       R"([{"range":{"start":{"line":3,"character":0},"end":{"line":3,"character":9}},
           "severity":2,"source":"voromel",
           "message":"'### notes' sits inside '## lead' of '# Layers', where nothing reads it: move its lines into the block or into a '## <name>' block of its own"}])"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto messages = after_handshake(serve(handshake() + did_open(uri, c.text)));
    ASSERT_EQ(messages.size(), 1u);
    expect_json(messages[0], published(1, c.diagnostics));
  }
}

TEST(LspDiagnostics, HintsForLayersMotifsAndTuningsThatNoBlockDefines) {
  const char* text =
      "# Songs\n\n## s\n@layer lead\n@layer ghost\n\n# Layers\n\n## lead\n"
      "motif hook 0 piano tuning just\nsine 0 60 1\n";
  const auto messages = after_handshake(serve(handshake() + did_open(uri, text)));
  ASSERT_EQ(messages.size(), 1u);
  expect_json(messages[0], published(1, R"([
    {"range":{"start":{"line":4,"character":7},"end":{"line":4,"character":12}},
     "severity":4,"source":"voromel","message":"no block '## ghost' in '# Layers'"},
    {"range":{"start":{"line":9,"character":6},"end":{"line":9,"character":10}},
     "severity":4,"source":"voromel","message":"no block '## hook' in '# Motifs'"},
    {"range":{"start":{"line":9,"character":26},"end":{"line":9,"character":30}},
     "severity":4,"source":"voromel","message":"no block '## just' in '# Tunings'"}])"));
}

TEST(LspDiagnostics, FollowEveryChangeAndCloseClearsThem) {
  const auto change = [](int version, std::string_view text) {
    return notification("textDocument/didChange",
                        R"({"textDocument":{"uri":"file:///a.track","version":)" +
                            std::to_string(version) + R"(},"contentChanges":[{"text":)" +
                            json_string(text) + "}]}");
  };
  const auto messages = after_handshake(serve(
      handshake() + did_open(uri, "# Songs\n## a\n@tempo 90\n") +
      change(2, "# Songs\n## a\n@tempo x\n") + change(3, "# Songs\n## a\n@tempo 80\n") +
      notification("textDocument/didClose", R"({"textDocument":{"uri":"file:///a.track"}})")));
  ASSERT_EQ(messages.size(), 4u);
  expect_json(messages[0], published(1, "[]"));
  expect_json(messages[1], published(2, R"([{"range":{"start":{"line":2,"character":0},
      "end":{"line":2,"character":8}},"severity":1,"source":"voromel",
      "message":"line 1: invalid number for tempo: 'x'"}])"));
  expect_json(messages[2], published(3, "[]"));
  expect_json(messages[3], R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics",
      "params":{"uri":"file:///a.track","diagnostics":[]}})");
}

TEST(LspDiagnostics, ARangedChangeEditsTheText) {
  std::string tempos;
  for (int i = 0; i < 500; ++i) tempos += "@tempo 90\n";
  // "@tempo x" becomes "@tempo 8" through an edit of the one character,
  // after a two-unit character on the line before.
  const auto messages = after_handshake(
      serve(handshake() + did_open(uri, "# Songs\n## \xF0\x9F\x98\x80\n@tempo x\n") +
            notification("textDocument/didChange",
                         R"({"textDocument":{"uri":"file:///a.track","version":2},"contentChanges":[
                       {"range":{"start":{"line":2,"character":7},"end":{"line":2,"character":8}},
                        "text":"8"}]})") +
            request(1, "textDocument/formatting", R"({"textDocument":{"uri":"file:///a.track"}})") +
            notification("textDocument/didChange",
                         R"({"textDocument":{"uri":"file:///a.track","version":3},"contentChanges":[
                       {"range":{"start":{"line":3,"character":0},"end":{"line":3,"character":0}},
                        "rangeLength":0,"text":)" +
                             json_string(tempos + "@tempo y\n") + "}]}")));
  ASSERT_EQ(messages.size(), 4u);
  expect_json(messages[1], published(2, "[]"));
  expect_json(messages[2], R"({"jsonrpc":"2.0","id":1,"result":[{"range":{
      "start":{"line":1,"character":0},"end":{"line":1,"character":0}},"newText":"\n"}]})");
  // A text long enough to be decoded apart, in a change with a member the
  // server does not use.
  expect_json(messages[3], published(3, R"([{"range":{"start":{"line":503,"character":0},
      "end":{"line":503,"character":8}},"severity":1,"source":"voromel",
      "message":"line 502: invalid number for tempo: 'y'"}])"));
}

// A document's text of more than a few kilobytes is decoded apart from the
// JSON library: its escapes must come out the same.
TEST(LspDiagnostics, ALongTextWithEveryEscape) {
  std::string tempos;
  for (int i = 0; i < 500; ++i) tempos += "@tempo 90\\n";
  const auto open = [&](std::string_view last_line) {
    return notification(
        "textDocument/didOpen",
        R"({"textDocument":{"uri":"file:///a.track","version":1,"text":"# Songs\n## s\n)" + tempos +
            std::string(last_line) + R"("}})");
  };
  const auto messages =
      after_handshake(serve(handshake() + open(R"(@tempo \u00e9\ud83d\ude00\"\\\/\n)") +
                            open(R"(\x)") + open(R"(\ud83d)") + open("\t")));
  ASSERT_EQ(messages.size(), 4u);
  expect_json(messages[0], published(1, R"([{"range":{"start":{"line":502,"character":0},
                  "end":{"line":502,"character":13}},"severity":1,"source":"voromel",
                  "message":"line 501: invalid number for tempo: '\u00e9\ud83d\ude00\"\\/'"}])"));
  for (std::size_t i = 1; i < 4; ++i) {
    SCOPED_TRACE(i);
    expect_json(messages[i], R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,
        "message":"message is not valid JSON"}})");
  }
}

TEST(LspDiagnostics, ColumnsCountInTheNegotiatedEncoding) {
  const char* text = "# Layers\n## a\n@gain \xC3\xA9\xE6\xBC\xA2\xF0\x9F\x98\x80\n";
  struct Case {
    const char* capabilities;
    int end;
  } cases[] = {
      {"{}", 10},
      {R"({"general":{"positionEncodings":["utf-8"]}})", 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capabilities);
    const auto messages = after_handshake(serve(handshake(c.capabilities) + did_open(uri, text)));
    ASSERT_EQ(messages.size(), 1u);
    expect_json(
        messages[0],
        published(
            1,
            R"([{"range":{"start":{"line":2,"character":0},"end":{"line":2,"character":)" +
                std::to_string(c.end) +
                R"(}},"severity":1,"source":"voromel","message":"line 3: line 1: unknown layer directive 'gain'"}])"));
  }
}

std::string formatting_request() {
  return request(
      1, "textDocument/formatting",
      R"({"textDocument":{"uri":"file:///a.track"},"options":{"tabSize":8,"insertSpaces":false}})");
}

TEST(LspFormatting, EditsTouchOnlyTheLinesThatDiffer) {
  struct Case {
    const char* name;
    const char* text;
    const char* result;
  } cases[] = {
      {"canonical already", "# Songs\n\n## main\n@tempo 90\n", "[]"},
      {"one blank line missing", "# Songs\n## main\n@tempo 90\n",
       R"([{"range":{"start":{"line":1,"character":0},"end":{"line":1,"character":0}},"newText":"\n"}])"},
      {"two blank lines missing, the lines between kept",
       "# Songs\n## a\n@tempo 90\n## b\n@tempo 80\n",
       R"([{"range":{"start":{"line":1,"character":0},"end":{"line":1,"character":0}},"newText":"\n"},
           {"range":{"start":{"line":3,"character":0},"end":{"line":3,"character":0}},"newText":"\n"}])"},
      {"no line end after the last line", "# Songs\n\n## a\n@tempo 90",
       R"([{"range":{"start":{"line":3,"character":0},"end":{"line":3,"character":9}},"newText":"@tempo 90\n"}])"},
      {"carriage returns everywhere", "# Songs\r\n\r\n## a\r\n@tempo 90\r\n",
       R"([{"range":{"start":{"line":0,"character":0},"end":{"line":4,"character":0}},
           "newText":"# Songs\n\n## a\n@tempo 90\n"}])"},
      {"a default dropped between kept lines",
       "# Songs\n\n## a\n@tempo 90\n@signature 4 4\n@layer x\n",
       R"([{"range":{"start":{"line":4,"character":0},"end":{"line":5,"character":0}},"newText":""}])"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto messages =
        after_handshake(serve(handshake() + did_open(uri, c.text) + formatting_request()));
    ASSERT_EQ(messages.size(), 2u);
    expect_json(messages[1], std::string(R"({"jsonrpc":"2.0","id":1,"result":)") + c.result + "}");
  }
}

TEST(LspFormatting, ADocumentThatDoesNotReadOrIsRefusedIsLeftAlone) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"# Layers\n## a\n@gain 1\n", "line 3: line 1: unknown layer directive 'gain'"},
      {"# Songs\nloose\n## a\n@tempo 90\n",
       "'loose' sits before the first block of '# Songs', where nothing reads it: move it into a "
       "'## <name>' block under '# Songs'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto messages =
        after_handshake(serve(handshake() + did_open(uri, c.text) + formatting_request()));
    ASSERT_EQ(messages.size(), 2u);
    expect_json(messages[1],
                std::string(R"({"jsonrpc":"2.0","id":1,"error":{"code":-32803,"message":)") +
                    json_string(c.message) + "}}");
  }
}

TEST(LspFormatting, ADocumentNeverOpenedIsAnError) {
  const Served served = serve(handshake() + formatting_request());
  ASSERT_EQ(served.messages.size(), 2u);
  expect_json(served.messages[1], R"({"jsonrpc":"2.0","id":1,"error":{"code":-32602,
      "message":"document not open: file:///a.track"}})");
}

constexpr const char* outlined =
    "# Songs\n\n## main\n@tempo 90\n\n# Layers\n## lead\n@volume 0.5\n### notes\nx\n";

TEST(LspOutline, SectionsHoldTheirBlocksAndSubBlocks) {
  const auto messages = after_handshake(serve(
      handshake() + did_open(uri, outlined) +
      request(1, "textDocument/documentSymbol", R"({"textDocument":{"uri":"file:///a.track"}})")));
  ASSERT_EQ(messages.size(), 2u);
  expect_json(messages[1], R"({"jsonrpc":"2.0","id":1,"result":[
    {"name":"Songs","kind":3,
     "range":{"start":{"line":0,"character":0},"end":{"line":3,"character":9}},
     "selectionRange":{"start":{"line":0,"character":2},"end":{"line":0,"character":7}},
     "children":[
       {"name":"main","kind":24,
        "range":{"start":{"line":2,"character":0},"end":{"line":3,"character":9}},
        "selectionRange":{"start":{"line":2,"character":3},"end":{"line":2,"character":7}}}]},
    {"name":"Layers","kind":3,
     "range":{"start":{"line":5,"character":0},"end":{"line":9,"character":1}},
     "selectionRange":{"start":{"line":5,"character":2},"end":{"line":5,"character":8}},
     "children":[
       {"name":"lead","kind":5,
        "range":{"start":{"line":6,"character":0},"end":{"line":9,"character":1}},
        "selectionRange":{"start":{"line":6,"character":3},"end":{"line":6,"character":7}},
        "children":[
          {"name":"notes","kind":8,
           "range":{"start":{"line":8,"character":0},"end":{"line":9,"character":1}},
           "selectionRange":{"start":{"line":8,"character":4},"end":{"line":8,"character":9}}}]}]}]})");
}

TEST(LspFolding, EverySectionAndBlockFolds) {
  const auto messages = after_handshake(serve(
      handshake() + did_open(uri, outlined) +
      request(1, "textDocument/foldingRange", R"({"textDocument":{"uri":"file:///a.track"}})")));
  ASSERT_EQ(messages.size(), 2u);
  expect_json(messages[1], R"({"jsonrpc":"2.0","id":1,"result":[
    {"startLine":0,"endLine":3},{"startLine":2,"endLine":3},{"startLine":5,"endLine":9},
    {"startLine":6,"endLine":9},{"startLine":8,"endLine":9}]})");
}

constexpr const char* named =
    "# Songs\n"                                       // 0
    "## main\n"                                       // 1
    "@layer lead\n"                                   // 2
    "# Layers\n"                                      // 3
    "## lead\n"                                       // 4
    "@volume 0.5 @tuning just @effect reverb hall\n"  // 5
    "piano 0 60 1\n"                                  // 6
    "motif hook 4 piano tuning just\n"                // 7
    "subtrack lead 8 transpose 2\n"                   // 8
    "sine 0 60 1\n"                                   // 9
    "# Sounds\n"                                      // 10
    "## piano\n"                                      // 11
    "sine 1\n"                                        // 12
    "wave@2 bell 0.5\n"                               // 13
    "@vibrato 5 0.3 bell\n"                           // 14
    "# Waves\n"                                       // 15
    "## bell\n"                                       // 16
    "0 0\n"                                           // 17
    "# Tunings\n"                                     // 18
    "## just\n"                                       // 19
    "# Motifs\n"                                      // 20
    "## hook\n"                                       // 21
    "0 60 1\n"                                        // 22
    "# Reverb\n"                                      // 23
    "## hall\n"                                       // 24
    "## room\n";                                      // 25

std::string at(const char* method, int line, int character, std::string_view extra = "") {
  return request(1, method,
                 R"({"textDocument":{"uri":"file:///a.track"},"position":{"line":)" +
                     std::to_string(line) + R"(,"character":)" + std::to_string(character) + "}" +
                     std::string(extra) + "}");
}

std::string result_of(const std::string& text, const std::string& query) {
  const auto messages = after_handshake(serve(handshake() + did_open(uri, text) + query));
  return messages.size() == 2 ? messages[1] : std::string();
}

std::string location(int line, int start, int end) {
  return R"({"uri":"file:///a.track","range":{"start":{"line":)" + std::to_string(line) +
         R"(,"character":)" + std::to_string(start) + R"(},"end":{"line":)" + std::to_string(line) +
         R"(,"character":)" + std::to_string(end) + "}}}";
}

TEST(LspNames, DefinitionGoesToTheHeadingOfTheNamedBlock) {
  struct Case {
    const char* name;
    int line;
    int character;
    std::string result;
  } cases[] = {
      {"a song's layer", 2, 8, location(4, 3, 7)},
      {"a note's sound", 6, 0, location(11, 3, 8)},
      {"the end of a note's sound", 6, 5, location(11, 3, 8)},
      {"a layer's tuning among other directives", 5, 22, location(19, 3, 7)},
      {"a reverb preset of an effect", 5, 41, location(24, 3, 7)},
      {"a motif placement's motif", 7, 7, location(21, 3, 7)},
      {"a motif placement's sound", 7, 15, location(11, 3, 8)},
      {"a placement's tuning", 7, 28, location(19, 3, 7)},
      {"a subtrack placement's layer", 8, 10, location(4, 3, 7)},
      {"a harmonic's wave", 13, 8, location(16, 3, 7)},
      {"a modulation's wave", 14, 16, location(16, 3, 7)},
      {"a heading is its own definition", 16, 4, location(16, 3, 7)},
      {"a built-in wave", 12, 1, "null"},
      {"a sound no block defines", 9, 1, "null"},
      {"a number", 6, 9, "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expect_json(result_of(named, at("textDocument/definition", c.line, c.character)),
                R"({"jsonrpc":"2.0","id":1,"result":)" + c.result + "}");
  }
}

TEST(LspNames, ReferencesListTheHeadingAndEveryUse) {
  expect_json(result_of(named, at("textDocument/references", 11, 4,
                                  R"(,"context":{"includeDeclaration":true})")),
              R"({"jsonrpc":"2.0","id":1,"result":[)" + location(11, 3, 8) + "," +
                  location(6, 0, 5) + "," + location(7, 13, 18) + "]}");
  expect_json(result_of(named, at("textDocument/references", 8, 10,
                                  R"(,"context":{"includeDeclaration":false})")),
              R"({"jsonrpc":"2.0","id":1,"result":[)" + location(2, 7, 11) + "," +
                  location(8, 9, 13) + "]}");
  expect_json(result_of(named, at("textDocument/references", 12, 1,
                                  R"(,"context":{"includeDeclaration":true})")),
              R"({"jsonrpc":"2.0","id":1,"result":[]})");
}

TEST(LspNames, RenameChangesTheHeadingAndEveryUse) {
  const std::string edit = [] {
    auto replace = [](int line, int start, int end) {
      return R"({"range":{"start":{"line":)" + std::to_string(line) + R"(,"character":)" +
             std::to_string(start) + R"(},"end":{"line":)" + std::to_string(line) +
             R"(,"character":)" + std::to_string(end) + R"(}},"newText":"chime"})";
    };
    return R"({"jsonrpc":"2.0","id":1,"result":{"changes":{"file:///a.track":[)" +
           replace(16, 3, 7) + "," + replace(13, 7, 11) + "," + replace(14, 15, 19) + "]}}}";
  }();
  expect_json(result_of(named, at("textDocument/rename", 13, 8, R"(,"newName":"chime")")), edit);
}

TEST(LspNames, RenameRefusesANameThatWouldNotReadBack) {
  const auto refused = [](std::string name) {
    return "cannot rename to '" + name + "': the text would not read it back as that one name";
  };
  struct Case {
    int line;
    int character;
    const char* new_name;
    std::string message;
  } cases[] = {
      {16, 4, "", refused("")},
      {16, 4, "two words", refused("two words")},
      {16, 4,
       "a\xC2\xA0"
       "b",
       refused("a\xC2\xA0"
               "b")},
      {16, 4, "tri", refused("tri")},
      {24, 4, "0.5", refused("0.5")},
      {24, 4, "-inf", refused("-inf")},
      {11, 4, "motif", refused("motif")},
      {11, 4, "kick.wav", refused("kick.wav")},
      {24, 4, "room", "'# Reverb' already has a block 'room'"},
      {11, 4, "lead\n", refused("lead\n")},
      {12, 1, "x", "no block defines 'sine'"},
      {17, 0, "x", "no block name here"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.new_name);
    expect_json(result_of(named, at("textDocument/rename", c.line, c.character,
                                    ",\"newName\":" + json_string(c.new_name))),
                R"({"jsonrpc":"2.0","id":1,"error":{"code":-32803,"message":)" +
                    json_string(c.message) + "}}");
  }
}

// White space and numbers as the library reads them: a no-break space
// between "@layer" and its name, an ideographic space after a section title,
// and a reverb preset whose name only looks like a number.
TEST(LspNames, NamesWhereTheLibraryReadsThem) {
  const std::string text =
      "# Songs\n## main\n@layer\xC2\xA0lead\n"  // 0-2
      "# Layers\xE3\x80\x80\n## lead\n"         // 3-4
      "@effect reverb +-5\n"                    // 5
      "# Reverb\n## +-5\nmix 0.5\n";            // 6-8
  const auto opened = after_handshake(serve(handshake() + did_open(uri, text)));
  ASSERT_EQ(opened.size(), 1u);
  expect_json(opened[0], published(1, "[]"));
  const auto result = [](std::string value) {
    return R"({"jsonrpc":"2.0","id":1,"result":)" + value + "}";
  };
  const char* with_declaration = R"(,"context":{"includeDeclaration":true})";
  struct Case {
    const char* name;
    std::string query;
    std::string answer;
  } cases[] = {
      {"the layer's references", at("textDocument/references", 4, 4, with_declaration),
       result("[" + location(4, 3, 7) + "," + location(2, 7, 11) + "]")},
      {"the definition of the layer", at("textDocument/definition", 2, 8),
       result(location(4, 3, 7))},
      {"the preset's references", at("textDocument/references", 7, 4, with_declaration),
       result("[" + location(7, 3, 6) + "," + location(5, 15, 18) + "]")},
      {"the layer renamed", at("textDocument/rename", 4, 4, R"(,"newName":"solo")"),
       result(R"({"changes":{"file:///a.track":[
         {"range":{"start":{"line":4,"character":3},"end":{"line":4,"character":7}},"newText":"solo"},
         {"range":{"start":{"line":2,"character":7},"end":{"line":2,"character":11}},"newText":"solo"}]}})")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expect_json(result_of(text, c.query), c.answer);
  }
}

// For generated documents, with the white space the library takes between
// tokens, the server's references to every defined block are exactly the
// uses that the library's model holds.
TEST(LspNames, ReferencesAreTheUsesTheModelHolds) {
  const std::vector<std::string> spaces = {" ", "\t", "\xC2\xA0", "\xE3\x80\x80", " \t "};
  const std::vector<std::string> layers = {"lead", "bass"};
  const std::vector<std::string> sounds = {"piano", "bell", "kick"};
  const std::vector<std::string> presets = {"hall", "+-5"};
  std::mt19937 random(27);
  const auto pick = [&](const std::vector<std::string>& list) {
    return list[random() % list.size()];
  };
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::string> lines = {"# Songs", "## main"};
    const auto line = [&](std::vector<std::string> tokens) {
      std::string text = tokens[0];
      for (std::size_t i = 1; i < tokens.size(); ++i) text += pick(spaces) + tokens[i];
      lines.push_back(text);
    };
    for (int i = 0; i < 3; ++i) line({"@layer", pick(layers)});
    std::vector<std::pair<std::string, std::size_t>> headings;
    const auto heading = [&](const std::string& name) {
      headings.emplace_back(name, lines.size());
      lines.push_back("## " + name);
    };
    lines.push_back("# Layers");
    for (const std::string& layer : layers) {
      heading(layer);
      line({"@tuning", "just"});
      line({"@effect", "reverb", pick(presets)});
      for (int i = 0; i < 4; ++i) line({pick(sounds), std::to_string(i), "60", "1"});
      line({"motif", "hook", "0", pick(sounds), "tuning", "just"});
      line({"subtrack", layer == layers[0] ? layers[1] : layers[0], "4", "transpose", "2"});
    }
    lines.push_back("# Sounds");
    for (const std::string& sound : sounds) {
      heading(sound);
      lines.push_back("sine 1");
    }
    lines.push_back("# Motifs");
    heading("hook");
    lines.insert(lines.end(), {"0 60 1", "# Tunings"});
    heading("just");
    lines.insert(lines.end(), {"1 1.125 1.25 1.5", "# Reverb"});
    for (const std::string& preset : presets) {
      heading(preset);
      lines.push_back("mix 0.5");
    }
    std::string text;
    for (const std::string& one : lines) text += one + "\n";

    const auto read = Document::read(text);
    ASSERT_TRUE(read.has_value()) << read.error().message();
    const TrackDocument& model = read.value().model();
    std::map<std::string, std::size_t> uses;
    for (const auto& song : model.sections.songs.items) {
      for (const std::string& layer : song.value.layers) ++uses[layer];
    }
    for (const auto& layer : model.sections.layers.items) {
      ++uses[*layer.value.tuning];
      for (const song::Note& note : layer.value.notes) ++uses[note.sound];
      for (const auto& motif : layer.value.motif_instances) {
        uses[motif.name] += 1;
        uses[motif.sound] += 1;
        uses[*motif.tuning] += 1;
      }
      for (const auto& subtrack : layer.value.subtrack_instances) ++uses[subtrack.name];
      for (const song::Effect& effect : layer.value.effects) {
        ++uses[std::get<song::Effect::ReverbPresetName>(effect.kind).name];
      }
    }
    std::string requests;
    for (const auto& [name, at_line] : headings) {
      requests += at("textDocument/references", static_cast<int>(at_line), 4,
                     R"(,"context":{"includeDeclaration":false})");
    }
    const auto messages =
        after_handshake(serve(handshake(R"({"general":{"positionEncodings":["utf-8"]}})") +
                              did_open(uri, text) + requests));
    ASSERT_EQ(messages.size(), headings.size() + 1);
    for (std::size_t i = 0; i < headings.size(); ++i) {
      const std::string& name = headings[i].first;
      SCOPED_TRACE(name);
      const auto found = nlohmann::json::parse(messages[i + 1])["result"];
      EXPECT_EQ(found.size(), uses[name]);
      for (const auto& place : found) {
        const auto& range = place["range"];
        const std::string& on = lines[range["start"]["line"].get<std::size_t>()];
        const auto start = range["start"]["character"].get<std::size_t>();
        EXPECT_EQ(on.substr(start, range["end"]["character"].get<std::size_t>() - start), name);
      }
    }
  }
}

TEST(LspNames, ColumnsAfterWideCharactersInBothEncodings) {
  const std::string text =
      "# Songs\n## s\n@layer \xF0\x9F\x98\x80x\n# Layers\n## \xF0\x9F\x98\x80x\n";
  struct Case {
    const char* capabilities;
    int character;
    int end;
  } cases[] = {
      {"{}", 9, 6},
      {R"({"general":{"positionEncodings":["utf-8"]}})", 11, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capabilities);
    const auto messages = after_handshake(serve(handshake(c.capabilities) + did_open(uri, text) +
                                                at("textDocument/definition", 2, c.character)));
    ASSERT_EQ(messages.size(), 2u);
    expect_json(messages[1], R"({"jsonrpc":"2.0","id":1,"result":)" + location(4, 3, c.end) + "}");
  }
}

constexpr const char* with_settings =
    "# Meta\n@ti\n# Songs\n## s\n@tempo 90\n@\n# Layers\n## l\n@volume 0.5 @p\n"
    "# Reverb\n## r\nmi\n# Sounds\n## b\n@\n";

TEST(LspHelp, CompletionOffersTheSettingsOfTheSection) {
  struct Case {
    const char* name;
    int line;
    int character;
    std::vector<const char*> labels;
    int start;
  } cases[] = {
      {"meta", 1, 3, {"@title", "@author"}, 0},
      {"a song line",
       5,
       1,
       {"@tempo", "@signature", "@seed", "@param", "@length", "@layer", "@marker", "@jump",
        "@jump-at"},
       0},
      {"a later directive of a layer line",
       8,
       14,
       {"@volume", "@pan", "@mute", "@solo", "@loop", "@tuning", "@root", "@effect"},
       12},
      {"a reverb key", 11, 2, {"room_size", "decay", "mix", "predelay"}, 0},
      {"a sound line, in the writer's order",
       14,
       1,
       {"@sample", "@voice", "@arpeggio", "@distortion", "@detune", "@vol-jitter", "@steps",
        "@attack", "@decay", "@release", "@sustain", "@noise", "@vibrato", "@tremolo", "@slide",
        "@filter", "@duty_sweep", "@volume"},
       0},
      {"a song's value", 4, 8, {}, 0},
      {"a heading", 3, 2, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string answer =
        result_of(with_settings, at("textDocument/completion", c.line, c.character));
    const auto parsed = nlohmann::json::parse(answer);
    const auto& result = parsed["result"];
    ASSERT_EQ(result.size(), c.labels.size()) << answer;
    for (std::size_t i = 0; i < c.labels.size(); ++i) {
      EXPECT_EQ(result[i]["label"], c.labels[i]);
      EXPECT_EQ(result[i]["textEdit"]["newText"], c.labels[i]);
      EXPECT_EQ(result[i]["textEdit"]["range"]["start"]["character"], c.start);
      EXPECT_EQ(result[i]["textEdit"]["range"]["end"]["character"], c.character);
    }
  }
}

TEST(LspHelp, HoverShowsASettingsUsageAndDefault) {
  expect_json(result_of(with_settings, at("textDocument/hover", 4, 3)),
              R"({"jsonrpc":"2.0","id":1,"result":{"contents":{"kind":"markdown",
      "value":"`@tempo <bpm> [<end bpm>] | @tempo param <name> [<scale>]`\n\nThe tempo and the tempo it moves to, or the parameter it follows; always written.\n\nDefault: `120`"},
      "range":{"start":{"line":4,"character":0},"end":{"line":4,"character":6}}}})");
  expect_json(result_of(with_settings, at("textDocument/hover", 8, 1)),
              R"({"jsonrpc":"2.0","id":1,"result":{"contents":{"kind":"markdown",
      "value":"`@volume <factor> | @volume param <name> [<scale>]`\n\nThe volume, or the parameter it follows.\n\nDefault: `1`"},
      "range":{"start":{"line":8,"character":0},"end":{"line":8,"character":7}}}})");
  expect_json(result_of(with_settings, at("textDocument/hover", 4, 8)),
              R"({"jsonrpc":"2.0","id":1,"result":null})");
}

TEST(LspOutline, NamesAreWrittenAsJsonStrings) {
  expect_json(result_of("# Songs\n## q\"\\\x01\xC3\xA9\n",
                        request(1, "textDocument/documentSymbol",
                                R"({"textDocument":{"uri":"file:///a.track"}})")),
              R"({"jsonrpc":"2.0","id":1,"result":[{"name":"Songs","kind":3,
      "range":{"start":{"line":0,"character":0},"end":{"line":1,"character":8}},
      "selectionRange":{"start":{"line":0,"character":2},"end":{"line":0,"character":7}},
      "children":[{"name":"q\"\\\u0001\u00e9","kind":24,
        "range":{"start":{"line":1,"character":0},"end":{"line":1,"character":8}},
        "selectionRange":{"start":{"line":1,"character":3},"end":{"line":1,"character":8}}}]}]})");
}

TEST(LspSemanticTokens, HeadingsDirectivesNumbersAndNames) {
  const char* text = "# Songs\n## s\n@tempo 90\n@layer lead\n# Layers\n## lead\npiano 0 60 1\n";
  expect_json(result_of(text, request(1, "textDocument/semanticTokens/full",
                                      R"({"textDocument":{"uri":"file:///a.track"}})")),
              R"({"jsonrpc":"2.0","id":1,"result":{"data":[
        0,0,7,0,0, 1,0,4,1,0, 1,0,6,2,0, 0,7,2,3,0, 1,0,6,2,0, 0,7,4,4,0,
        1,0,8,0,0, 1,0,7,1,0, 1,0,5,4,0, 0,6,1,3,0, 0,2,2,3,0, 0,3,1,3,0]}})");
  // A name after a character of two UTF-16 units.
  expect_json(result_of("# Layers\n## l\n\xF0\x9F\x98\x80x 0 60 1\n",
                        request(1, "textDocument/semanticTokens/full",
                                R"({"textDocument":{"uri":"file:///a.track"}})")),
              R"({"jsonrpc":"2.0","id":1,"result":{"data":[
        0,0,8,0,0, 1,0,4,1,0, 1,0,3,4,0, 0,4,1,3,0, 0,2,2,3,0, 0,3,1,3,0]}})");
  // Lines 3 to 5, the first token counted from the start of the text.
  expect_json(result_of(text, request(1, "textDocument/semanticTokens/range",
                                      R"({"textDocument":{"uri":"file:///a.track"},"range":{
                                          "start":{"line":3,"character":4},
                                          "end":{"line":5,"character":0}}})")),
              R"({"jsonrpc":"2.0","id":1,"result":{"data":[
        3,0,6,2,0, 0,7,4,4,0, 1,0,8,0,0, 1,0,7,1,0]}})");
}

// A long text read in two halves at once gives the tokens that one thread
// reads, of the whole text and of a range of its lines.
TEST(LspSemanticTokens, ReadInHalvesAsOnOneThread) {
  std::string text = "# Layers\n";
  for (int block = 0; block < 700; ++block) {
    text += "## l" + std::to_string(block) + "\n@volume 0.5\n";
    for (int note = 0; note < 12; ++note) text += "\xC3\xA9 " + std::to_string(note) + " 60 1\n";
  }
  Reading reading;
  reading.read(text);
  const LineIndex index(text, PositionEncoding::Utf16);
  const auto joined = [&](std::size_t first_line, std::size_t end_line, std::size_t parallel) {
    std::string all;
    for (const std::string& piece :
         semantic_tokens(text, reading, index, first_line, end_line, parallel)) {
      all += piece;
    }
    return all;
  };
  const std::string whole = joined(0, SIZE_MAX, 1000);
  EXPECT_EQ(whole, joined(0, SIZE_MAX, SIZE_MAX));
  EXPECT_EQ(joined(2500, 7001, 1000), joined(2500, 7001, SIZE_MAX));
  // The section's heading; each block's heading, directive and number, and
  // its notes' sound and three numbers: five integers each.
  EXPECT_EQ(std::count(whole.begin(), whole.end(), ','), 5 * (1 + 700 * (1 + 2 + 12 * 4)) - 1);
}

}  // namespace
}  // namespace voromel::lsp::testing
