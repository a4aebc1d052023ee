#include "track/upgrade_names.h"

namespace voromel::track {

std::string_view final_path_name(std::string_view path) {
  while (!path.empty()) {
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name != ".") return name == ".." ? std::string_view{} : name;
    path = slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
  }
  return {};
}

StemAndExtension split_file_name(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {name, false, {}};
  return {name.substr(0, dot), true, name.substr(dot + 1)};
}

std::string file_stem_target(std::string_view target) {
  const std::string_view name = final_path_name(target);
  if (name.empty()) return std::string(target);
  return std::string(split_file_name(name).stem);
}

}  // namespace voromel::track
