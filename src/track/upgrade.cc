#include "track/upgrade.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "header_format/text.h"
#include "track/multisong/section_kinds.h"
#include "track/parse_error.h"
#include "track/scalars.h"
#include "track/upgrade_names.h"

namespace voromel::track {

using DocumentError = header_format::ParseError;
using voromel::Result;

namespace {

using voromel::TrackDocument;

// The sound directives a one-line definition could carry; any other first
// word (even of a newer directive) is read as a harmonic.
constexpr std::array<std::string_view, 16> one_line_sound_directives = {
    "voice",  "steps",   "noise",   "decay",   "slide",   "detune",   "volume",     "attack",
    "sample", "sustain", "release", "vibrato", "tremolo", "arpeggio", "distortion", "vol-jitter"};

DocumentError document_error(std::string message) {
  return DocumentError::boxed(ParseError::document(std::move(message)));
}

Result<voromel::Ok, DocumentError> refuse_pre_0_13_headers(const TrackDocument& document) {
  for (const voromel::UnknownSection& section : document.unknown) {
    if (header_format::contains_white_space(section.title)) {
      return document_error("'# " + section.title +
                            "' is a pre-0.13 header carrying its name, older than this upgrade "
                            "handles: rewrite it as a '## <name>' block under a plural section "
                            "header by hand first");
    }
  }
  return voromel::Ok{};
}

std::vector<std::string> sound_body_lines(std::string_view entries) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= entries.size()) {
    const std::size_t comma = std::min(entries.find(',', start), entries.size());
    const std::string_view entry = header_format::trim(entries.substr(start, comma - start));
    if (!entry.empty()) lines.push_back(sound_entry_line(entry));
    start = comma + 1;
  }
  return lines;
}

// Turns the own lines of the Sounds section into sound blocks; answers
// whether the section had any.
Result<bool, DocumentError> convert_one_line_sounds(TrackDocument& document) {
  auto& sounds = document.sections.sounds;
  const std::vector<std::string> lines = std::exchange(sounds.lines, {});
  std::unordered_set<std::string> names;
  for (const auto& item : sounds.items) names.insert(item.name);
  for (const std::string_view line : lines) {
    const std::string_view trimmed = header_format::trim(line);
    if (trimmed.empty()) continue;
    const std::size_t colon = trimmed.find(':');
    if (colon == std::string_view::npos) {
      return document_error("'" + std::string(trimmed) +
                            "' sits before the first block of '# Sounds' and is not a pre-0.20 "
                            "sound definition either");
    }
    std::string name(header_format::trim(trimmed.substr(0, colon)));
    const std::string_view entries = trimmed.substr(colon + 1);
    if (std::count(entries.begin(), entries.end(), '"') % 2 != 0) {
      return document_error("sound '" + name +
                            "' has an unbalanced quote, so its entries cannot be split on commas "
                            "safely");
    }
    if (names.contains(name)) {
      return document_error("sound '" + name +
                            "' is defined both in the old one-line syntax and as a '## " + name +
                            "' block");
    }
    const std::vector<std::string> body = sound_body_lines(entries);
    auto sound =
        multisong::SoundSection::parse(std::vector<std::string_view>(body.begin(), body.end()));
    if (!sound) return std::move(sound).error();
    names.insert(name);
    sounds.items.push_back({std::move(name), std::move(sound).value(), std::nullopt});
  }
  return !lines.empty();
}

bool is_import_line(std::string_view line) {
  return header_format::trim_start(line).starts_with("@import");
}

// A target that reads as a beat or names one of the song's markers is kept;
// any other names a file and becomes that file's stem.
void reduce_jump_targets(song::Song& song) {
  std::unordered_set<std::string_view> markers;
  for (const song::Marker& marker : song.markers) markers.insert(marker.name);
  const auto reduce = [&](song::Jump& jump) {
    if (is_number(jump.target) || markers.contains(jump.target)) return;
    jump.target = file_stem_target(jump.target);
  };
  std::for_each(song.jumps.begin(), song.jumps.end(), reduce);
  std::for_each(song.jump_ats.begin(), song.jump_ats.end(), reduce);
}

}  // namespace

std::string sound_entry_line(std::string_view entry) {
  const std::string_view word = header_format::split_at_first_white_space(entry).first;
  const bool is_directive =
      std::find(one_line_sound_directives.begin(), one_line_sound_directives.end(), word) !=
      one_line_sound_directives.end();
  return is_directive ? "@" + std::string(entry) : std::string(entry);
}

Result<bool, DocumentError> upgrade_pre_0_20(TrackDocument& document, std::string_view song_name) {
  if (auto refused = refuse_pre_0_13_headers(document); !refused) return std::move(refused).error();
  auto had_sound_lines = convert_one_line_sounds(document);
  if (!had_sound_lines) return std::move(had_sound_lines).error();
  const bool upgraded_sounds = had_sound_lines.value();
  auto& songs = document.sections.songs;
  if (!songs.items.empty()) return upgraded_sounds;

  std::vector<std::string> kept;
  std::vector<std::string_view> header;
  for (const std::string_view line : document.leading_lines) {
    if (header_format::is_blank(line)) continue;
    if (is_import_line(line)) {
      kept.emplace_back(line);
    } else {
      header.push_back(line);
    }
  }
  if (header.empty()) return upgraded_sounds;

  auto song = multisong::SongSection::parse(header);
  if (!song) return std::move(song).error();
  if (song.value().layers.empty()) {
    for (const auto& layer : document.sections.layers.items)
      song.value().layers.push_back(layer.name);
  }
  reduce_jump_targets(song.value());
  songs.items.push_back({std::string(song_name), std::move(song).value(), std::nullopt});
  document.leading_lines = std::move(kept);
  return true;
}

}  // namespace voromel::track
