#pragma once

#include <iosfwd>
#include <string_view>

#include "lsp/session.h"

namespace voromel::lsp {

// The message loop and the JSON edge: reads framed messages, turns each into
// a call of a session handler and writes the answers. The only file that
// knows the JSON library.
class Server {
 public:
  // Serves until `exit` or the end of `in`; answers the process's exit
  // status: 0 after a `shutdown` request, 1 without one.
  int run(std::istream& in, std::ostream& out);

  // Serves one message body, writing what it answers to `out`; false once
  // the client said `exit`.
  bool serve(std::string_view body, std::ostream& out);

  bool shut_down() const { return shut_down_; }

 private:
  Session session_;
  bool initialized_ = false;
  bool shut_down_ = false;
};

}  // namespace voromel::lsp
