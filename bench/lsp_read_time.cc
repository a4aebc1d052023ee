// The time the library takes to read a text: the whole model with the
// tool's checks before a rewrite (`Document::read` and `check`), and the
// block-by-block read of `format`, which the server's diagnostics use. The
// best of N runs of each, in nanoseconds, on one line. bench/lsp.py divides
// the server's time from a change to its diagnostics by these.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include "voromel/voromel.h"

namespace {

template <class Read>
long long best_of(int runs, Read read) {
  auto best = std::chrono::nanoseconds::max();
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    if (!read()) return -1;
    const auto took = std::chrono::steady_clock::now() - start;
    best = std::min(best, std::chrono::duration_cast<std::chrono::nanoseconds>(took));
  }
  return best.count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: lsp_read_time FILE RUNS\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const int runs = std::stoi(argv[2]);
  const long long model = best_of(runs, [&] {
    auto document = voromel::Document::read(text);
    return document && document.value().check();
  });
  const long long blocks = best_of(runs, [&] {
    // A refusal comes as an error.
    return static_cast<bool>(voromel::format(text));
  });
  if (model < 0 || blocks < 0) {
    std::cerr << "the text does not read\n";
    return 1;
  }
  std::cout << std::to_string(model) << ' ' << std::to_string(blocks) << '\n';
  return 0;
}
