#include "cli/rewrite.h"

#include <optional>

#include "cli/file_io.h"

namespace voromel::cli {

using voromel::Result;

namespace {

// The canonical text of the file, or nothing when the file holds it
// already. The text read is dropped on return, before the canonical text is
// read back.
Result<std::optional<std::string>, FileFailure> canonical_step(const std::string& path,
                                                               Formatter format) {
  auto text = read_step(path);
  if (!text) return text.error();
  auto form = format(text.value().view());
  if (!form) return failure(path, form.error());
  if (const auto& refusal = form.value().refusal) return failure(path, *refusal);
  if (form.value().same_as_input) return std::optional<std::string>();
  return std::optional<std::string>(std::move(form.value().text));
}

}  // namespace

FileOutcome rewrite_file(const std::string& path, Formatter format) {
  auto canonical = canonical_step(path, format);
  if (!canonical) return canonical.error();
  if (!canonical.value()) return FileDone{};
  const std::string& text = *canonical.value();
  if (auto checked = read_back_step(path, text, format); !checked) return checked.error();
  if (auto written = replace_file(path, text); !written) {
    return FileFailure{"Writing " + display_path(path) + ": " + written.error().text};
  }
  return FileDone{"Reformatted " + display_path(path)};
}

}  // namespace voromel::cli
