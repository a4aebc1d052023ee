#include "tool_run.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace voromel::cli::testing {

namespace fs = std::filesystem;

namespace {

fs::path make_temp_dir() {
  std::string pattern = (fs::temp_directory_path() / "voromel-test-XXXXXX").string();
  const char* made = ::mkdtemp(pattern.data());
  EXPECT_NE(made, nullptr);
  return made ? fs::path(made) : fs::path();
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// In a child process: gives up the superuser's rights for good.
bool become(uid_t user) {
  if (user == ::geteuid()) return true;
  return ::setgroups(0, nullptr) == 0 && ::setgid(user) == 0 && ::setuid(user) == 0;
}

// In the child: the directory, no standard input, both outputs to files.
[[noreturn]] void exec_tool(const fs::path& dir, const fs::path& out, const fs::path& err,
                            const std::vector<std::string>& args, rlim_t file_size_limit,
                            std::optional<uid_t> user) {
  std::vector<char*> argv;
  std::string program = VOROMEL_BINARY;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int null_in = ::open("/dev/null", O_RDONLY);
  const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (null_in < 0 || out_fd < 0 || err_fd < 0 || ::chdir(dir.c_str()) != 0) ::_exit(127);
  ::dup2(null_in, 0);
  ::dup2(out_fd, 1);
  ::dup2(err_fd, 2);
  const rlimit limit{file_size_limit, file_size_limit};
  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
  if (user && !become(*user)) ::_exit(127);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

// Waits as long as it takes: a hanging tool is left to the test runner's
// timeout, so that a slow machine fails no test.
int wait_for(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      ADD_FAILURE() << "cannot wait for the tool";
      return -1;
    }
  }
  if (!WIFEXITED(status)) {
    ADD_FAILURE() << "the tool did not exit normally";
    return -1;
  }
  return WEXITSTATUS(status);
}

}  // namespace

TempDir::TempDir() : path_(make_temp_dir()) {}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& content) const {
  std::ofstream out(path_ / name, std::ios::binary);
  out << content;
}

std::string TempDir::read(const std::string& name) const {
  return read_file(path_ / name);
}

std::vector<std::string> TempDir::entries() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

ToolRun run_tool(const TempDir& dir, const std::vector<std::string>& args, rlim_t file_size_limit,
                 std::optional<uid_t> user) {
  // The outputs go to a directory of their own, so that `dir` holds only
  // what the tool leaves there.
  const TempDir outputs;
  const fs::path out = outputs / "stdout";
  const fs::path err = outputs / "stderr";
  const pid_t child = ::fork();
  if (child == 0) exec_tool(dir.path(), out, err, args, file_size_limit, user);
  EXPECT_GT(child, 0);
  const int status = child > 0 ? wait_for(child) : -1;
  return {status, read_file(out), read_file(err)};
}

std::optional<uid_t> ordinary_user() {
  if (::geteuid() != 0) return ::geteuid();
  constexpr uid_t nobody = 65534;
  // Tried in a child, which can give its rights up for good.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(become(nobody) && ::access(VOROMEL_BINARY, X_OK) == 0 ? 0 : 1);
  if (child < 0) return std::nullopt;
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return std::nullopt;
  }
  return nobody;
}

void expect_run(const ToolRun& run, int status, const std::string& err) {
  EXPECT_EQ(run.status, status);
  EXPECT_EQ(run.err, err);
  EXPECT_EQ(run.out, "");
}

void expect_rewritten_once(const std::string& text, const std::string& canonical,
                           const std::string& name) {
  TempDir dir;
  dir.write(name, text);
  expect_run(run_tool(dir, {name}), 0, text == canonical ? "" : "Reformatted " + name + "\n");
  EXPECT_EQ(dir.read(name), canonical);
  expect_run(run_tool(dir, {name}), 0, "");
  EXPECT_EQ(dir.read(name), canonical);
}

void expect_refused(const std::string& text, const std::string& err, const std::string& name) {
  TempDir dir;
  dir.write(name, text);
  expect_run(run_tool(dir, {name}), 1, err);
  EXPECT_EQ(dir.read(name), text);
}

}  // namespace voromel::cli::testing
