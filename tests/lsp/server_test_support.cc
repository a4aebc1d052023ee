#include "tests/lsp/server_test_support.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "lsp/server.h"

namespace voromel::lsp::testing {

std::string handshake(std::string_view capabilities) {
  return request(0, "initialize",
                 R"({"processId":null,"rootUri":null,"capabilities":)" + std::string(capabilities) +
                     "}") +
         notification("initialized", "{}");
}

std::string did_open(std::string_view uri, std::string_view text) {
  return notification("textDocument/didOpen", R"({"textDocument":{"uri":")" + std::string(uri) +
                                                  R"(","languageId":"track","version":1,"text":)" +
                                                  json_string(text) + "}}");
}

Served serve(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream log;
  Server server(&log);
  Served served;
  served.status = server.run(in, out);
  served.log = log.str();
  const std::string written = out.str();
  std::size_t at = 0;
  while (at < written.size()) {
    const std::size_t header_end = written.find("\r\n\r\n", at);
    EXPECT_NE(header_end, std::string::npos) << written.substr(at);
    if (header_end == std::string::npos) break;
    const std::string header = written.substr(at, header_end - at);
    EXPECT_TRUE(header.starts_with("Content-Length: ")) << header;
    const std::size_t length = std::stoul(header.substr(16));
    served.messages.push_back(written.substr(header_end + 4, length));
    at = header_end + 4 + length;
  }
  return served;
}

std::vector<std::string> after_handshake(const Served& served) {
  if (served.messages.empty()) return {};
  return {served.messages.begin() + 1, served.messages.end()};
}

void expect_json(std::string_view actual, std::string_view expected) {
  const auto parsed_actual = nlohmann::json::parse(actual, nullptr, false);
  const auto parsed_expected = nlohmann::json::parse(expected, nullptr, false);
  ASSERT_FALSE(parsed_expected.is_discarded()) << "bad expected JSON: " << expected;
  EXPECT_EQ(parsed_actual, parsed_expected) << "actual:   " << actual << "\nexpected: " << expected;
}

}  // namespace voromel::lsp::testing
