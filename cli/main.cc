#include <malloc.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/driver.h"

int main(int argc, char** argv) {
  // A file-size limit then fails the write with an error the tool reports,
  // instead of killing it half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  // Each block's value is freed before the next is read. Keep freed memory
  // for the next block instead of handing it back to the system and asking
  // for it again, which costs a system call and fresh pages every block.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return voromel::cli::run(args, std::cerr);
}
