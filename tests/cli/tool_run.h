#pragma once

#include <sys/resource.h>

#include <filesystem>
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
// file-size limit, if given, applies to the tool's process alone.
ToolRun run_tool(const TempDir& dir, const std::vector<std::string>& args,
                 rlim_t file_size_limit = RLIM_INFINITY);

}  // namespace voromel::cli::testing
