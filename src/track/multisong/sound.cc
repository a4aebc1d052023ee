#include "track/multisong/sound.h"

#include "track/format/sounds.h"

namespace voromel::track::multisong {

voromel::Result<song::Sound, header_format::ParseError> SoundSection::parse(
    std::span<const std::string_view> lines) {
  return format::parse_sound(lines);
}

void SoundSection::serialize(const song::Sound& sound, std::string& out) {
  format::append_sound(out, sound);
}

}  // namespace voromel::track::multisong
