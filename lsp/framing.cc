#include "lsp/framing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <istream>
#include <limits>
#include <optional>
#include <ostream>

namespace voromel::lsp {

namespace {

constexpr std::string_view length_header = "content-length:";
// A header line longer than this is not a header.
constexpr std::size_t max_header_line = 4096;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

std::size_t find_length_header(std::string_view line) {
  if (line.size() < length_header.size()) return std::string_view::npos;
  for (std::size_t at = 0; at + length_header.size() <= line.size(); ++at) {
    if (equal_ignoring_case(line.substr(at, length_header.size()), length_header)) return at;
  }
  return std::string_view::npos;
}

std::optional<std::size_t> read_length(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  std::size_t length = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
  if (end != value.data() + value.size() || value.empty()) return std::nullopt;
  // Digits that overflow are a length above any limit.
  if (error == std::errc::result_out_of_range) return std::numeric_limits<std::size_t>::max();
  if (error != std::errc()) return std::nullopt;
  return length;
}

}  // namespace

// A line without its "\r\n" or "\n"; false at the end of the stream. An
// overlong line is cut, and counts as a bad header.
bool FrameReader::read_line(std::string& line) {
  line.clear();
  int c;
  while ((c = in_.get()) != std::char_traits<char>::eof()) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (line.size() < max_header_line) line += static_cast<char>(c);
  }
  return !line.empty();
}

Frame FrameReader::next() {
  std::optional<std::size_t> length;
  std::string problem;
  std::string line;
  bool any_header = false;
  while (true) {
    if (!read_line(line)) return Frame{};
    if (resyncing_) {
      const std::size_t at = find_length_header(line);
      if (at == std::string::npos) continue;
      line.erase(0, at);
      resyncing_ = false;
    }
    if (line.empty()) {
      if (!any_header) continue;
      break;
    }
    any_header = true;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || line.size() >= max_header_line) {
      problem = "bad header line";
      continue;
    }
    if (equal_ignoring_case(std::string_view(line).substr(0, colon + 1), length_header)) {
      length = read_length(std::string_view(line).substr(colon + 1));
      if (!length) problem = "bad Content-Length header";
    }
  }
  if (!length) {
    resyncing_ = true;
    return Frame{Frame::Kind::BadHeader,
                 {},
                 problem.empty() ? std::string("missing Content-Length header") : problem};
  }
  // Not waited for: a client may announce more than it will ever send.
  if (*length > max_body_size) {
    const std::string size = *length == std::numeric_limits<std::size_t>::max()
                                 ? std::string("more than ") + std::to_string(*length)
                                 : std::to_string(*length);
    return Frame{
        Frame::Kind::TooLarge,
        {},
        "message body of " + size + " bytes exceeds the limit of " + std::to_string(max_body_size)};
  }
  // Read in pieces, so that a length the stream does not hold costs no more
  // than what it does hold.
  Frame frame{Frame::Kind::Message, {}, {}};
  std::array<char, 65536> piece;
  while (frame.body.size() < *length) {
    const std::size_t wanted = std::min(*length - frame.body.size(), piece.size());
    if (!in_.read(piece.data(), static_cast<std::streamsize>(wanted))) return Frame{};
    if (frame.body.empty()) frame.body.reserve(*length);
    frame.body.append(piece.data(), wanted);
  }
  // The length is known, so the stream stays in step even after another
  // header went wrong; that message is not served.
  if (!problem.empty()) return Frame{Frame::Kind::BadHeader, {}, problem};
  return frame;
}

void write_frame(std::ostream& out, std::string_view body) {
  out << "Content-Length: " << std::to_string(body.size()) << "\r\n\r\n" << body;
  out.flush();
}

}  // namespace voromel::lsp
