#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace voromel::lsp {

// The largest message body the server takes; a longer one is not read.
inline constexpr std::size_t max_body_size = std::size_t{64} << 20;

// One message read from the stream, or why there is none.
struct Frame {
  enum class Kind {
    Message,
    // A header the server cannot make sense of, or none giving the length:
    // the stream is read on from the next "Content-Length" header.
    BadHeader,
    // A header announcing a body longer than `max_body_size`; the body is
    // left unread.
    TooLarge,
    // The stream ended, possibly in the middle of a message.
    End,
  };
  Kind kind = Kind::End;
  std::string body;
  // What went wrong, for BadHeader and TooLarge.
  std::string problem;
};

// Reads messages framed by "Content-Length: N" headers and a blank line.
class FrameReader {
 public:
  explicit FrameReader(std::istream& in) : in_(in) {}
  Frame next();

 private:
  bool read_line(std::string& line);

  std::istream& in_;
  // After a bad header, lines are skipped up to the next length header.
  bool resyncing_ = false;
};

void write_frame(std::ostream& out, std::string_view body);

}  // namespace voromel::lsp
