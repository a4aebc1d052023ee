#pragma once

#include <iosfwd>
#include <string_view>

#include "lsp/session.h"

namespace voromel::lsp {

// The message loop and the JSON edge: reads framed messages, turns each into
// a call of a session handler and writes the answers. With the message
// reader (message_reader.h), the only code that knows the JSON library.
class Server {
 public:
  // `log`, when given, receives a line for every message that is ignored
  // and why.
  explicit Server(std::ostream* log = nullptr) : log_(log) {}

  // Serves until `exit` or the end of `in`; answers the process's exit
  // status: 0 after a `shutdown` request, 1 without one or after a message
  // too long to take.
  int run(std::istream& in, std::ostream& out);

  // Serves one message body, writing what it answers to `out`; false once
  // the client said `exit`.
  bool serve(std::string_view body, std::ostream& out);

  bool shut_down() const { return shut_down_; }
  const Session& session() const { return session_; }

 private:
  void log(std::string_view what, std::string_view why);

  std::ostream* log_ = nullptr;
  Session session_;
  bool initialized_ = false;
  bool shut_down_ = false;
};

}  // namespace voromel::lsp
