#include "cli/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "cli/utf8.h"
#include "header_format/text.h"

namespace voromel::cli {

using header_format::Ok;
using header_format::Result;

namespace {

SystemError last_error() {
  return os_error(errno);
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }

  int get() const { return fd_; }
  // Closes now, so that a failure to close can be reported.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

Result<Ok, SystemError> require_regular_file(const struct stat& info) {
  if (S_ISDIR(info.st_mode)) return os_error(EISDIR);
  if (!S_ISREG(info.st_mode)) return SystemError{"not a regular file"};
  return Ok{};
}

// Reads straight into the text, sized for `expected` bytes (what the file
// held when looked at), so that a large file is neither copied nor grown
// step by step; a file that has grown since is still read to its end.
Result<std::string, SystemError> read_all(int fd, std::size_t expected) {
  std::string content(expected + 1, '\0');
  std::size_t size = 0;
  while (true) {
    if (size == content.size()) content.resize(2 * content.size());
    const ssize_t count = ::read(fd, content.data() + size, content.size() - size);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return last_error();
    if (count == 0) break;
    size += static_cast<std::size_t>(count);
  }
  content.resize(size);
  return content;
}

Result<Ok, SystemError> write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t count = ::write(fd, text.data(), text.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return last_error();
    text.remove_prefix(static_cast<std::size_t>(count));
  }
  return Ok{};
}

// The file a path names: through symbolic links, the file they point to.
Result<std::string, SystemError> replaced_file(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return last_error();
  if (!S_ISLNK(info.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> target(::realpath(path.c_str(), nullptr), &std::free);
  if (!target) return last_error();
  return std::string(target.get());
}

std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash + 1);
}

// A new file beside `path`, created exclusively: ".name.XXXXXX".
struct Temporary {
  std::string path;
  int fd;
};

Result<Temporary, SystemError> create_temporary_beside(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  // Room for the dot and the suffix within the longest file name.
  constexpr std::size_t longest_kept_name = 200;
  std::string pattern =
      path.substr(0, name_start) + "." + path.substr(name_start, longest_kept_name) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return last_error();
  return Temporary{name.data(), fd};
}

// Owner and group first: changing them may clear the set-user-ID bits that
// the mode then restores.
Result<Ok, SystemError> fill_temporary(FileDescriptor& file, const struct stat& original,
                                       std::string_view text) {
  (void)::fchown(file.get(), original.st_uid, original.st_gid);
  if (::fchmod(file.get(), original.st_mode & 07777) != 0) return last_error();
  if (auto written = write_all(file.get(), text); !written) return written;
  if (::fsync(file.get()) != 0) return last_error();
  if (!file.close()) return last_error();
  return Ok{};
}

// Makes the rename itself durable; the file is already replaced, so a
// failure here changes nothing for the user.
void sync_directory(const std::string& path) {
  const int fd = ::open(directory_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

SystemError os_error(int number) {
  return SystemError{std::string(std::strerror(number)) + " (os error " + std::to_string(number) +
                     ")"};
}

Result<std::string, SystemError> read_text_file(const std::string& path) {
  // Look before opening: opening a FIFO for reading could block, and a
  // socket cannot be opened at all.
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return last_error();
  if (auto regular = require_regular_file(info); !regular) return regular.error();
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return last_error();
  // The path may have been swapped since the look.
  if (::fstat(file.get(), &info) != 0) return last_error();
  if (auto regular = require_regular_file(info); !regular) return regular.error();
  auto content = read_all(file.get(), static_cast<std::size_t>(info.st_size));
  if (content && !header_format::is_valid_utf8(content.value())) {
    return SystemError{"stream did not contain valid UTF-8"};
  }
  return content;
}

Result<Ok, CreateFailure> create_new_file(const std::string& path, std::string_view text,
                                          const std::string& permissions_from) {
  struct stat source;
  if (::stat(permissions_from.c_str(), &source) != 0) return CreateFailure{false, last_error()};
  // O_EXCL with O_CREAT never follows a symbolic link: whatever is at the
  // path, the tool writes nowhere else.
  FileDescriptor file(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, source.st_mode & 0777));
  if (file.get() < 0) return CreateFailure{errno == EEXIST, last_error()};
  Result<Ok, SystemError> written = write_all(file.get(), text);
  if (written && ::fsync(file.get()) != 0) written = last_error();
  if (written && !file.close()) written = last_error();
  if (!written) {
    ::unlink(path.c_str());
    return CreateFailure{false, written.error()};
  }
  sync_directory(path);
  return Ok{};
}

Result<Ok, SystemError> replace_file(const std::string& path, std::string_view text) {
  auto target = replaced_file(path);
  if (!target) return target.error();
  // The rename needs only the directory: a file the user may not write would
  // be replaced all the same, and with it the protection it was given.
  if (::faccessat(AT_FDCWD, target.value().c_str(), W_OK, AT_EACCESS) != 0) return last_error();
  struct stat original;
  if (::stat(target.value().c_str(), &original) != 0) return last_error();
  auto temporary = create_temporary_beside(target.value());
  if (!temporary) return temporary.error();
  FileDescriptor file(temporary.value().fd);
  auto filled = fill_temporary(file, original, text);
  if (filled && ::rename(temporary.value().path.c_str(), target.value().c_str()) != 0) {
    filled = last_error();
  }
  if (!filled) {
    ::unlink(temporary.value().path.c_str());
    return filled.error();
  }
  sync_directory(target.value());
  return Ok{};
}

}  // namespace voromel::cli
