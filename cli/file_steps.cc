#include "cli/file_steps.h"

#include "cli/file_io.h"
#include "cli/utf8.h"

namespace voromel::cli {

using header_format::Result;

std::string display_path(std::string_view path) {
  return lossy_utf8(path);
}

Result<std::string, FileFailure> read_step(const std::string& path) {
  auto text = read_text_file(path);
  if (!text) return FileFailure{"Reading " + display_path(path) + ": " + text.error().text};
  return std::move(text).value();
}

Result<track::multisong::TrackDocument, FileFailure> parse_step(const std::string& path,
                                                                std::string_view text) {
  auto document = track::multisong::TrackDocument::parse_with(text);
  if (!document) {
    return FileFailure{"Parsing " + display_path(path) + ": " + document.error().text()};
  }
  return std::move(document).value();
}

}  // namespace voromel::cli
