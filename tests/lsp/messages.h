#pragma once

// Messages as a client frames them, for the server's tests and fuzz targets.
#include <string>
#include <string_view>

namespace voromel::lsp::testing {

// A message body with its "Content-Length" header.
inline std::string framed(std::string_view body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

inline std::string request(int id, std::string_view method, std::string_view params) {
  return framed(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":")" +
                std::string(method) + R"(","params":)" + std::string(params) + "}");
}

inline std::string notification(std::string_view method, std::string_view params) {
  return framed(R"({"jsonrpc":"2.0","method":")" + std::string(method) + R"(","params":)" +
                std::string(params) + "}");
}

// A JSON string literal of `text`. Bytes above 0x7F are copied as they are,
// so a text that is not UTF-8 reaches the server as it is.
inline std::string json_string(std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += hex[byte >> 4];
      out += hex[byte & 15];
    } else {
      out += c;
    }
  }
  return out + '"';
}

}  // namespace voromel::lsp::testing
