#include "cli/rewrite.h"

#include <optional>

#include "cli/file_io.h"
#include "track/multisong/section_checks.h"

namespace voromel::cli {

using header_format::Ok;
using header_format::Result;
using track::multisong::TrackDocument;

namespace {

// Text that nothing reads (in a known section before its first block) or
// that the rewrite would drop.
Result<Ok, FileFailure> unread_or_lost_text_step(const std::string& path,
                                                 const TrackDocument& document) {
  if (auto checked = track::multisong::check_section_preambles(document); !checked) {
    return refusing(path, checked.error().text());
  }
  return lost_text_step(path, document);
}

// The canonical text of the file, or nothing when the file holds it
// already. The document is dropped on return, before the text is read back.
Result<std::optional<std::string>, FileFailure> canonical_step(const std::string& path,
                                                               Serializer serialize) {
  auto text = read_step(path);
  if (!text) return text.error();
  auto document = parse_step(path, text.value());
  if (!document) return document.error();
  if (auto checked = unread_or_lost_text_step(path, document.value()); !checked) {
    return checked.error();
  }
  std::string canonical = serialize(document.value());
  if (canonical == text.value()) return std::optional<std::string>();
  return std::optional<std::string>(std::move(canonical));
}

}  // namespace

FileOutcome rewrite_file(const std::string& path, Serializer serialize) {
  auto canonical = canonical_step(path, serialize);
  if (!canonical) return canonical.error();
  if (!canonical.value()) return FileDone{};
  const std::string& text = *canonical.value();
  if (auto checked = read_back_step(path, text, serialize); !checked) return checked.error();
  if (auto written = replace_file(path, text); !written) {
    return FileFailure{"Writing " + display_path(path) + ": " + written.error().text};
  }
  return FileDone{"Reformatted " + display_path(path)};
}

}  // namespace voromel::cli
