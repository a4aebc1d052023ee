#include "voromel/directives.h"

#include "header_format/meta_section.h"
#include "track/described_directives.h"
#include "track/multisong/section_kinds.h"

namespace voromel {

std::vector<Directive> directives_of(std::string_view section) {
  using namespace track::multisong;
  if (section == "Meta") return header_format::meta_directives_described();
  if (section == SongSection::title) return song_directives_described(section);
  if (section == LayerSection::title) return layer_directives_described(section);
  if (section == SoundSection::title) return track::format::sound_directives_described(section);
  if (section == ReverbSection::title) return reverb_settings_described(section);
  return {};
}

}  // namespace voromel
