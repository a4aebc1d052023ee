#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/driver.h"

int main(int argc, char** argv) {
  // A file-size limit then fails the write with an error the tool reports,
  // instead of killing it half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return voromel::cli::run(args, std::cerr);
}
