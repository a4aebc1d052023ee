#include "cli/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "cli/utf8.h"
#include "header_format/text.h"

namespace voromel::cli {

using voromel::Ok;
using voromel::Result;

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

// A large text gets memory of its own that starts at a huge page and is
// asked for in huge pages, where the system gives them: it is then made
// present in a few steps instead of one page fault for every 4 KB of the
// file. A small text takes memory from the heap, which the next file reuses.
constexpr std::size_t huge_page = std::size_t{2} << 20;

std::size_t whole_pages(std::size_t size) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return (size + page - 1) / page * page;
}

char* map_text_memory(std::size_t capacity) {
  // Room to start at a huge page; what lies before and after that is
  // handed back at once.
  const std::size_t kept = whole_pages(capacity);
  const std::size_t reserved = kept + huge_page;
  void* memory =
      ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(memory);
  const std::uintptr_t aligned = (start + huge_page - 1) / huge_page * huge_page;
  const std::size_t before = aligned - start;
  if (before > 0) ::munmap(memory, before);
  if (reserved - before > kept)
    ::munmap(reinterpret_cast<void*>(aligned + kept), reserved - before - kept);
#ifdef MADV_HUGEPAGE
  // Only whole huge pages: the end of the text stays in small ones, so that
  // it takes no more memory than its size.
  (void)::madvise(reinterpret_cast<void*>(aligned), capacity / huge_page * huge_page,
                  MADV_HUGEPAGE);
#endif
  return reinterpret_cast<char*>(aligned);
}

char* allocate_text(std::size_t capacity) {
  if (capacity < huge_page) return static_cast<char*>(std::malloc(capacity));
  return map_text_memory(capacity);
}

void release_text(char* data, std::size_t capacity) {
  if (!data) return;
  if (capacity < huge_page) {
    std::free(data);
  } else {
    ::munmap(data, whole_pages(capacity));
  }
}

// The same bytes in twice the memory, for a file that has grown since it
// was looked at.
bool grow(char*& data, std::size_t& capacity) {
  char* larger = allocate_text(2 * capacity);
  if (!larger) return false;
  std::memcpy(larger, data, capacity);
  release_text(data, capacity);
  data = larger;
  capacity *= 2;
  return true;
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

// Reads straight into memory sized for `expected` bytes (what the file held
// when looked at), so that a large file is neither copied nor grown step by
// step; a file that has grown since is still read to its end.
Result<FileText, SystemError> read_file(int fd, std::size_t expected) {
  FileText text;
  text.capacity_ = expected + 1;
  text.data_ = allocate_text(text.capacity_);
  if (!text.data_) return os_error(ENOMEM);
  while (true) {
    if (text.size_ == text.capacity_ && !grow(text.data_, text.capacity_)) return os_error(ENOMEM);
    const ssize_t count = ::read(fd, text.data_ + text.size_, text.capacity_ - text.size_);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return last_error();
    if (count == 0) break;
    text.size_ += static_cast<std::size_t>(count);
  }
  return text;
}

FileText::FileText(FileText&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

FileText& FileText::operator=(FileText&& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
  return *this;
}

FileText::~FileText() {
  release_text(data_, capacity_);
}

SystemError os_error(int number) {
  return SystemError{std::string(std::strerror(number)) + " (os error " + std::to_string(number) +
                     ")"};
}

Result<FileText, SystemError> read_text_file(const std::string& path) {
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
  auto content = read_file(file.get(), static_cast<std::size_t>(info.st_size));
  if (content && !header_format::is_valid_utf8(content.value().view())) {
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
