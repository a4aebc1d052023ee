#include "cli/upgrade.h"

#include <optional>

#include "cli/file_io.h"
#include "cli/utf8.h"
#include "header_format/text.h"
#include "track/upgrade_names.h"

namespace voromel::cli {

namespace {

using track::split_file_name;
using voromel::Result;

std::string file_stem(std::string_view path) {
  return lossy_utf8(split_file_name(track::final_path_name(path)).stem);
}

std::string replace_white_space(std::string_view text) {
  std::string replaced;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = 0;
    if (header_format::is_white_space(header_format::decode_at(text, at, length))) {
      replaced += '_';
    } else {
      replaced.append(text, at, length);
    }
    at += length;
  }
  return replaced;
}

FileOutcome write_upgraded(const std::string& path, const std::string& text,
                           const std::string& song_name) {
  const std::string output = upgraded_path(path);
  if (auto created = create_new_file(output, text, path); !created) {
    if (created.error().exists) return FileFailure{"Refusing to overwrite " + display_path(output)};
    return FileFailure{"Writing " + display_path(output) + ": " + created.error().error.text};
  }
  return FileDone{"Upgraded " + display_path(path) + " to " + display_path(output) + " as song '" +
                  song_name + "'"};
}

// The text of the upgraded document, or nothing when there is nothing to
// upgrade. The text read is dropped on return, before the result is read
// back.
Result<std::optional<std::string>, FileFailure> upgraded_step(const std::string& path,
                                                              const std::string& song_name) {
  auto text = read_step(path);
  if (!text) return text.error();
  auto upgraded = voromel::upgrade(text.value().view(), song_name);
  if (!upgraded) return failure(path, upgraded.error());
  return std::move(upgraded).value();
}

}  // namespace

std::string song_name_for(std::string_view path) {
  return replace_white_space(file_stem(path));
}

std::string upgraded_path(std::string_view path) {
  const std::string_view name = track::final_path_name(path);
  const track::StemAndExtension split = split_file_name(name);
  const std::size_t slash = path.rfind('/');
  std::string output(path.substr(0, slash == std::string_view::npos ? 0 : slash + 1));
  output += lossy_utf8(split.stem);
  output += "_upgraded";
  if (split.has_extension) {
    output += '.';
    output += lossy_utf8(split.extension);
  }
  return output;
}

FileOutcome upgrade_file(const std::string& path, Formatter format) {
  const std::string song_name = song_name_for(path);
  auto upgraded = upgraded_step(path, song_name);
  if (!upgraded) return upgraded.error();
  if (!upgraded.value()) return FileDone{"Already a '# Songs' document: " + display_path(path)};
  const std::string& text = *upgraded.value();
  if (auto checked = read_back_step(path, text, format); !checked) return checked.error();
  return write_upgraded(path, text, song_name);
}

}  // namespace voromel::cli
