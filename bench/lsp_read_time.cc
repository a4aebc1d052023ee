// The time the library takes to read a text as the language server's
// diagnostics do (the whole document, then the tool's checks before a
// rewrite): the best of N runs, in nanoseconds. bench/lsp.py divides the
// server's time from a change to its diagnostics by this.
#include <voromel/voromel.h>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: lsp_read_time FILE RUNS\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const int runs = std::stoi(argv[2]);
  auto best = std::chrono::nanoseconds::max();
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    auto document = voromel::Document::read(text);
    const bool fine = document && document.value().check();
    const auto took = std::chrono::steady_clock::now() - start;
    if (!fine) {
      std::cerr << "the text does not read\n";
      return 1;
    }
    best = std::min(best, std::chrono::duration_cast<std::chrono::nanoseconds>(took));
  }
  std::cout << std::to_string(best.count()) << '\n';
  return 0;
}
