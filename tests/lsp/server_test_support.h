#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tests/lsp/messages.h"

namespace voromel::lsp::testing {

// The initialize request and initialized notification, framed; `capabilities`
// is the client's capabilities object.
std::string handshake(std::string_view capabilities = "{}");
std::string did_open(std::string_view uri, std::string_view text);

// What the server wrote for `input`, message by message, what it logged
// and its exit status; the server runs in-process on string streams.
struct Served {
  int status = -1;
  std::vector<std::string> messages;
  std::string log;
};
Served serve(const std::string& input);

// The messages after the answer to `initialize`.
std::vector<std::string> after_handshake(const Served& served);

// Compares two JSON texts as values, printing both on a difference.
void expect_json(std::string_view actual, std::string_view expected);

}  // namespace voromel::lsp::testing
