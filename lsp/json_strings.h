#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voromel::lsp {

// A message body whose long JSON strings (a document's whole text, mostly)
// were taken out and decoded apart: the JSON library then parses a small
// skeleton in which each of them is a short placeholder string. Decoding a
// long string here is a plain copy between escapes, far faster than the
// library's character-by-character reading of one.
struct SplitBody {
  std::string skeleton;
  // The decoded strings, and the placeholder each one left in the skeleton.
  std::vector<std::string> strings;
  std::vector<std::string> placeholders;
};

// Appends `text` to `out` as a JSON string literal; a byte that is not part
// of well-formed UTF-8 is written as U+FFFD.
void append_json_string(std::string& out, std::string_view text);

// Nothing when the body holds no long string, or one that is not valid
// JSON: the library then reads the whole body and reports what is wrong.
std::optional<SplitBody> split_long_strings(std::string_view body);

}  // namespace voromel::lsp
