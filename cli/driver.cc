#include "cli/driver.h"

#include <vector>

#include "cli/rewrite.h"
#include "cli/upgrade.h"
#include "cli/utf8.h"

namespace voromel::cli {

namespace {

struct Arguments {
  bool upgrade = false;
  std::vector<std::string> files;
};

// "--upgrade" may stand anywhere, any number of times; everything else, "-h"
// included, names a file.
Arguments read_arguments(std::span<const std::string> args) {
  Arguments arguments;
  for (const std::string& arg : args) {
    if (arg == "--upgrade") {
      arguments.upgrade = true;
    } else {
      arguments.files.push_back(arg);
    }
  }
  return arguments;
}

void print(std::ostream& err, std::string_view message) {
  err << escape_control_characters(message) << '\n';
  err.flush();
}

}  // namespace

int run(std::span<const std::string> args, std::ostream& err, Formatter format) {
  const Arguments arguments = read_arguments(args);
  if (arguments.files.empty()) {
    err << usage_text;
    err.flush();
    return 1;
  }
  for (const std::string& path : arguments.files) {
    const FileOutcome outcome =
        arguments.upgrade ? upgrade_file(path, format) : rewrite_file(path, format);
    if (!outcome) {
      print(err, outcome.error().message);
      return 1;
    }
    if (outcome.value().report) print(err, *outcome.value().report);
  }
  return 0;
}

}  // namespace voromel::cli
