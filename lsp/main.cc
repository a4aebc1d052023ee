#include <iostream>
#include <string_view>

#include "lsp/server.h"

// voromel-lsp: the language server of .track files, speaking the protocol
// over standard input and output.
int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--stdio") continue;
    if (arg == "--help" || arg == "-h") {
      std::cout << "usage: voromel-lsp [--stdio]\n"
                   "Serves the language server protocol for .track files over standard input\n"
                   "and output.\n";
      return 0;
    }
    std::cerr << "voromel-lsp: unknown argument '" << arg << "'\n";
    return 2;
  }
  std::ios::sync_with_stdio(false);
  voromel::lsp::Server server(&std::cerr);
  return server.run(std::cin, std::cout);
}
