#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <voromel/header_format/document.h>
#include <voromel/header_format/parse_error.h>
#include <voromel/header_format/result.h>
#include <voromel/header_format/section_list.h>
#include <voromel/header_format/split.h>
#include <voromel/track/format/tunings.h>
#include <voromel/track/multisong/layer.h>
#include <voromel/track/multisong/motif.h>
#include <voromel/track/multisong/reverb.h>
#include <voromel/track/multisong/snapshot.h>
#include <voromel/track/multisong/song.h>
#include <voromel/track/multisong/sound.h>
#include <voromel/track/multisong/subtitle.h>
#include <voromel/track/multisong/wave.h>

namespace voromel::track::multisong {

// Tunings are read by the tuning grammar, beside the other kinds here.
using format::TuningSection;

// The nine known sections of a track document, in the order they are written
// and checked.
struct TrackSections {
  header_format::SectionList<SongSection> songs;
  header_format::SectionList<LayerSection> layers;
  header_format::SectionList<SoundSection> sounds;
  header_format::SectionList<TuningSection> tunings;
  header_format::SectionList<WaveSection> waves;
  header_format::SectionList<SubtitleSection> subtitles;
  header_format::SectionList<MotifSection> motifs;
  header_format::SectionList<SnapshotSection> snapshots;
  header_format::SectionList<ReverbSection> reverb;

  // What reading one document carries from block to block: the ratios that
  // its "equal" lines have made so far.
  using ReadState = format::EqualRatioBudget;

  // Claims a section whose title is one of the nine, exactly: its blocks are
  // parsed and appended after those already held, then its own lines.
  header_format::Result<header_format::Claim, header_format::ParseError> try_parse_into(
      std::string_view title, std::vector<std::string_view>& lines,
      std::vector<header_format::Instance>& blocks, ReadState& state);
};

// Calls `visit` with each list of the set in order until it answers true;
// answers whether one did.
template <class Set, class Visit>
requires std::same_as<std::remove_const_t<Set>, TrackSections>
bool any_list(Set& set, Visit&& visit) {
  return visit(set.songs) || visit(set.layers) || visit(set.sounds) || visit(set.tunings) ||
         visit(set.waves) || visit(set.subtitles) || visit(set.motifs) || visit(set.snapshots) ||
         visit(set.reverb);
}

using TrackDocument = header_format::Document<TrackSections>;

// The canonical text of a document, as `TrackDocument::serialize` gives it.
std::string serialize_document(const TrackDocument& document);

}  // namespace voromel::track::multisong
