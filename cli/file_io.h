#pragma once

#include <string>
#include <string_view>

#include <voromel/result.h>

namespace voromel::cli {

// A failed file operation, as the system describes it:
// "No such file or directory (os error 2)".
struct SystemError {
  std::string text;
};

// The system's description of an error number followed by " (os error N)".
SystemError os_error(int number);

// The bytes of a file, read whole.
class FileText {
 public:
  FileText() = default;
  FileText(FileText&& other) noexcept;
  FileText& operator=(FileText&& other) noexcept;
  FileText(const FileText&) = delete;
  FileText& operator=(const FileText&) = delete;
  ~FileText();

  std::string_view view() const { return {data_, size_}; }

 private:
  friend voromel::Result<FileText, SystemError> read_file(int fd, std::size_t expected);
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// The whole content of a regular file, which must be valid UTF-8. Anything
// but a regular file is refused without blocking on it.
voromel::Result<FileText, SystemError> read_text_file(const std::string& path);

// Replaces the content of an existing file without ever leaving it damaged:
// the text goes to a new temporary file beside it, which gets the original's
// permission bits (and owner and group where permitted), is synced and then
// renamed over it. Through a symbolic link the file it points to is replaced
// and the link stays. A file the user may not write is refused, even where
// the directory would allow the rename. On failure the original is untouched
// and the temporary file removed.
voromel::Result<voromel::Ok, SystemError> replace_file(const std::string& path,
                                                       std::string_view text);

// Why a new file could not be made: something is already at the path (a
// symbolic link counts, dangling or not), or the system's error.
struct CreateFailure {
  bool exists = false;
  SystemError error;
};

// Creates a file that must not exist yet and writes the whole text to it,
// with the permission bits of the file at `permissions_from` (the umask
// still applies). On a failure after creating it, the partial file is removed.
voromel::Result<voromel::Ok, CreateFailure> create_new_file(const std::string& path,
                                                            std::string_view text,
                                                            const std::string& permissions_from);

}  // namespace voromel::cli
