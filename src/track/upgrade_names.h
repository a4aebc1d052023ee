#pragma once

#include <string>
#include <string_view>

// The names the pre-0.20 upgrade derives from paths.
namespace voromel::track {

// The final component of a path, with trailing '/' and "." components
// skipped; empty when the path ends in ".." or has no component.
std::string_view final_path_name(std::string_view path);

// A file name split at its last '.', unless that '.' is the first character:
// then the whole name is the stem and there is no extension.
struct StemAndExtension {
  std::string_view stem;
  bool has_extension = false;
  std::string_view extension;
};
StemAndExtension split_file_name(std::string_view name);

// A jump target that names a file ("songs/intro.track") becomes that file's
// stem ("intro"); one without a final name keeps its text.
std::string file_stem_target(std::string_view target);

}  // namespace voromel::track
