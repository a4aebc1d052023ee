#include "cli/driver.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace voromel::cli {
namespace {

struct InProcessRun {
  int status;
  std::string err;
};

InProcessRun run_with(std::vector<std::string> args) {
  std::ostringstream err;
  const int status = run(args, err);
  return {status, err.str()};
}

TEST(Driver, WithoutFilesPrintsTheUsage) {
  const char* usage =
      "Usage: voromel [--upgrade] <file.track>\xe2\x80\xa6\n"
      "  default: rewrites each file in canonical format\n"
      "  --upgrade: lifts a pre-0.20 song header into a '# Songs' block, writing "
      "<name>_upgraded.track and leaving the original alone\n";
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"--upgrade"},
                           std::vector<std::string>{"--upgrade", "--upgrade"}}) {
    SCOPED_TRACE(args.size());
    const InProcessRun result = run_with(args);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, usage);
  }
}

TEST(Driver, EveryOtherArgumentIsAFile) {
  struct Case {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"--help"}, "Reading --help: No such file or directory (os error 2)\n"},
      {{"-h", "--upgrade"}, "Reading -h: No such file or directory (os error 2)\n"},
      {{"--Upgrade"}, "Reading --Upgrade: No such file or directory (os error 2)\n"},
      {{""}, "Reading : No such file or directory (os error 2)\n"},
      {{"missing\x1b[2J\xff.track"},
       "Reading missing\\u{1b}[2J\uFFFD.track: No such file or directory (os error 2)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    const InProcessRun result = run_with(c.args);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
  }
}

}  // namespace
}  // namespace voromel::cli
