#include "cli/file_steps.h"

#include <malloc.h>

#include "cli/file_io.h"
#include "cli/utf8.h"

namespace voromel::cli {

using voromel::Ok;
using voromel::Result;

std::string display_path(std::string_view path) {
  return lossy_utf8(path);
}

Result<FileText, FileFailure> read_step(const std::string& path) {
  auto text = read_text_file(path);
  if (!text) return FileFailure{"Reading " + display_path(path) + ": " + text.error().text};
  return std::move(text).value();
}

FileFailure failure(const std::string& path, const Error& error) {
  const char* step = "Parsing ";
  if (error.kind() == Error::Kind::Refused) step = "Refusing ";
  if (error.kind() == Error::Kind::NotUpgradable) step = "Upgrading ";
  return FileFailure{step + display_path(path) + ": " + error.message()};
}

FileFailure refusing(std::string_view path, std::string_view reason) {
  return FileFailure{"Refusing " + display_path(path) + ": " + std::string(reason)};
}

Result<Ok, FileFailure> read_back_step(const std::string& path, std::string_view written,
                                       Formatter format) {
  // The memory that reading the file took is free by now: handed back before
  // the text is read again, the two readings do not add up.
  malloc_trim(0);
  const auto reread = format(written);
  if (reread && reread.value().same_as_input) return Ok{};
  return refusing(path,
                  "internal error: the canonical form does not read back the same; the file was "
                  "left untouched");
}

}  // namespace voromel::cli
