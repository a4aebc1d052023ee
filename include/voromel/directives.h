#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The settings each kind of block takes, as the library's own readers and
// writers know them: for editors, help texts and documentation.
namespace voromel {

struct Directive {
  // The title of the section whose blocks take it ("Songs"); "Meta" for the
  // lines of the meta section itself.
  std::string section;
  // As written at the start of its text: "@tempo", or "room_size" for the
  // keys of a reverb preset.
  std::string name;
  // How its line reads: "@tempo <bpm> [<end bpm>] | @tempo param <name> [<scale>]".
  std::string usage;
  // The value a block has when no line gives it, as a rewrite would write
  // it ("120"); none for a setting that is absent until given (a seed, a
  // list entry).
  std::optional<std::string> default_text;
  std::string description;

  friend bool operator==(const Directive&, const Directive&) = default;
};

// The directives of the blocks of the section titled `section` ("Songs",
// "Layers", "Sounds", "Reverb", and "Meta" for the meta section's own lines)
// in the order a rewrite writes them; none for any other title.
std::vector<Directive> directives_of(std::string_view section);

}  // namespace voromel
