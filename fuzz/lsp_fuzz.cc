// libFuzzer target: the language server's message loop takes any bytes,
// raw or cut into framed messages after a handshake, without crashing,
// hanging or holding on to memory, and ends with an exit status.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "lsp/server.h"

namespace {

std::string framed(std::string_view body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

// The first byte picks the shape: even, the bytes as the whole stream; odd,
// an initialize request, then the rest cut at NUL bytes into framed messages
// (so that the handlers see whatever JSON the fuzzer makes up), each sent
// for one document.
std::string stream_of(std::string_view data) {
  if (data.empty() || data.front() % 2 == 0)
    return std::string(data.empty() ? data : data.substr(1));
  data.remove_prefix(1);
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
