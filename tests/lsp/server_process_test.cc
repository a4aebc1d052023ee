#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/lsp/server_test_support.h"

namespace voromel::lsp::testing {
namespace {

struct ProcessRun {
  int status = -1;
  std::string output;
};

// The server as a process, its standard input fed from a pipe.
ProcessRun run_server(const std::string& input) {
  const auto directory = std::filesystem::temp_directory_path();
  const auto output = directory / ("voromel_lsp_process_test_" + std::to_string(::getpid()));
  const std::string command =
      std::string("'") + VOROMEL_LSP_BINARY + "' > '" + output.string() + "'";
  FILE* pipe = ::popen(command.c_str(), "w");
  if (!pipe) return {};
  std::fwrite(input.data(), 1, input.size(), pipe);
  const int status = ::pclose(pipe);
  std::ifstream written(output, std::ios::binary);
  std::stringstream text;
  text << written.rdbuf();
  std::filesystem::remove(output);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

TEST(LspProcess, ExitStatusThroughAPipe) {
  struct Case {
    const char* name;
    std::string input;
    int status;
  } cases[] = {
      {"shutdown, then exit",
       handshake() + request(1, "shutdown", "null") + notification("exit", "null"), 0},
      {"exit alone", handshake() + notification("exit", "null"), 1},
      {"input closed in the middle of a message", handshake() + "Content-Length: 50\r\n\r\n{", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run_server(c.input).status, c.status);
  }
}

TEST(LspProcess, AnswersOnStandardOutput) {
  const ProcessRun run =
      run_server(handshake() + request(1, "shutdown", "null") + notification("exit", "null"));
  EXPECT_NE(
      run.output.find("Content-Length: 38\r\n\r\n{\"id\":1,\"jsonrpc\":\"2.0\",\"result\":null}"),
      std::string::npos)
      << run.output;
}

}  // namespace
}  // namespace voromel::lsp::testing
