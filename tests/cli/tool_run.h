#pragma once

#include <sys/resource.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Helpers for end-to-end tests that run the built tool in a fresh directory.
namespace voromel::cli::testing {

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  void write(const std::string& name, const std::string& content) const;
  std::string read(const std::string& name) const;
  // The names of the entries, sorted.
  std::vector<std::string> entries() const;

 private:
  std::filesystem::path path_;
};

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the tool with the arguments in `dir`, without standard input. A
// file-size limit, if given, applies to the tool's process alone, and so does
// a user (its group the same number) to run it as.
ToolRun run_tool(const TempDir& dir, const std::vector<std::string>& args,
                 rlim_t file_size_limit = RLIM_INFINITY, std::optional<uid_t> user = std::nullopt);

// A user without the superuser's rights, who may run the tool: this process's
// own user, or when that is the superuser, "nobody" (65534) if this process
// can become it. Nothing when there is none.
std::optional<uid_t> ordinary_user();

// The run ended with the status and the whole message, and wrote nothing on
// standard output.
void expect_run(const ToolRun& run, int status, const std::string& err);

// A file `name` holding `text` is rewritten by the tool into `canonical`
// (reported only if that differs from `text`), and a second run leaves it.
void expect_rewritten_once(const std::string& text, const std::string& canonical,
                           const std::string& name = "a.track");

// A file `name` holding `text` is refused with status 1 and the message
// `err` (its newline included); nothing goes to standard output and the file
// is left untouched.
void expect_refused(const std::string& text, const std::string& err,
                    const std::string& name = "a.track");

}  // namespace voromel::cli::testing
