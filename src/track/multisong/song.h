#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "track/parse_error.h"
#include "voromel/song/jump.h"
#include "voromel/song/song.h"

// Song blocks: one '@' directive per line.
namespace voromel::track::multisong {

// The directives of a song body, read but not yet applied to a song.
struct TempoDirective {
  float tempo = 120;
  float ratio = 1;
};
struct LengthDirective {
  float length = 0;
};
struct SignatureDirective {
  std::uint32_t beats_per_bar = 4;
  std::uint32_t beat_unit = 4;
};
struct SeedDirective {
  std::uint32_t seed = 0;
};
struct ImportDirective {};
struct LayerDirective {
  std::string name;
};

using SongDirective = std::variant<TempoDirective, song::TempoParam, LengthDirective,
                                   SignatureDirective, song::Jump, song::JumpAt, song::Marker,
                                   song::Param, ImportDirective, SeedDirective, LayerDirective>;

// Reads one directive: its name without '@', its value (the trimmed rest of
// the line) and the line number for errors. It does not touch any song.
LineResult<SongDirective> parse_song_directive(std::string_view name, std::string_view value,
                                               std::size_t line_number);

// Reads a song body; errors carry the line number within the body.
LineResult<song::Song> parse_song_body(std::span<const std::string_view> lines);

// The canonical body text of a song, one directive per line.
void append_song(std::string& out, const song::Song& song);

// The end tempo a ramp is written with: among tempo × ratio and its four
// nearest floats on each side, the one with the shortest text that divides
// back to exactly `ratio`, so that a typed end tempo comes back as typed.
// When none does, a zero of the ratio's sign if that divides back (a ramp
// from an infinite tempo), and tempo × ratio otherwise.
float written_end_tempo(float tempo, float ratio);

// The "# Songs" section kind. Its errors keep block-relative line numbers.
struct SongSection {
  using Value = song::Song;
  static constexpr std::string_view title = "Songs";

  static voromel::Result<song::Song, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  static void serialize(const song::Song& song, std::string& out);
};

}  // namespace voromel::track::multisong
