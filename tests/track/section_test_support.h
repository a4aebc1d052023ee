#pragma once

#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "header_format/section_grammar.h"
#include "track/multisong/write_memo.h"

// Helpers for the tests of section kinds.
namespace voromel::track::testing {

// The lines of a body text split at '\n' (a last '\n' ends the last line),
// as views into it.
inline std::vector<std::string_view> split_body(std::string_view body) {
  std::vector<std::string_view> lines;
  while (!body.empty()) {
    const std::size_t end = body.find('\n');
    lines.push_back(body.substr(0, end));
    if (end == std::string_view::npos) break;
    body.remove_prefix(end + 1);
  }
  return lines;
}

// The lines of a body text as `split_body` cuts them, as views into a copy
// that every copy of the value shares: what the section grammars read.
class BodyLines {
 public:
  explicit BodyLines(std::string_view body)
      : text_(std::make_shared<const std::string>(body)), lines_(split_body(*text_)) {}
  BodyLines(std::initializer_list<std::string_view> lines) : BodyLines(joined(lines)) {
    if (lines.size() > 0 && lines.end()[-1].empty()) lines_.emplace_back();
  }

  operator std::span<const std::string_view>() const { return lines_; }
  const std::vector<std::string_view>& lines() const { return lines_; }

 private:
  static std::string joined(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const std::string_view line : lines) {
      text += line;
      text += '\n';
    }
    return text;
  }

  std::shared_ptr<const std::string> text_;
  std::vector<std::string_view> lines_;
};

inline BodyLines body_lines(std::string_view text) {
  return BodyLines(text);
}

// Reads a body with the kind's grammar and writes it back; a failure gives
// "error: " and the error text as the framework would show it for a block
// whose body starts on file line 1. A kind that writes a body as it reads
// it must give the same.
template <class Kind>
std::string reformat(std::span<const std::string_view> lines) {
  auto value = Kind::parse(lines);
  std::string out;
  if (value) Kind::serialize(value.value(), out);
  const std::string result = value ? out : "error: " + value.error().shifted(1).text();
  if constexpr (header_format::WritesAsRead<Kind>) {
    std::string written;
    multisong::WriteMemo memo;
    const auto wrote = Kind::write(lines, written, memo);
    EXPECT_EQ(wrote ? written : "error: " + wrote.error().shifted(1).text(), result);
  }
  return result;
}

template <class Kind>
std::string reformat(std::initializer_list<std::string_view> lines) {
  return reformat<Kind>(std::span<const std::string_view>(lines.begin(), lines.size()));
}

// Formats the canonical text of a body once more, which must change nothing.
template <class Kind>
std::string reformat_text(std::string_view text) {
  return reformat<Kind>(body_lines(text));
}

}  // namespace voromel::track::testing
