#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <voromel/model.h>
#include <voromel/result.h>

#include "header_format/document_reader.h"
#include "header_format/parse_error.h"
#include "header_format/section_grammar.h"
#include "header_format/split.h"
#include "track/multisong/layer.h"
#include "track/multisong/motif.h"
#include "track/multisong/reverb.h"
#include "track/multisong/snapshot.h"
#include "track/multisong/song.h"
#include "track/multisong/sound.h"
#include "track/multisong/subtitle.h"
#include "track/multisong/tuning.h"
#include "track/multisong/wave.h"

// The nine section kinds of a track document and the reading and writing of
// a whole document with them.
namespace voromel::track::multisong {

// Calls `visit.template operator()<Kind>()` with each of the nine kinds in
// order until it answers true; answers whether one did.
template <class Visit>
bool any_kind(Visit&& visit) {
  return visit.template operator()<SongSection>() || visit.template operator()<LayerSection>() ||
         visit.template operator()<SoundSection>() || visit.template operator()<TuningSection>() ||
         visit.template operator()<WaveSection>() || visit.template operator()<SubtitleSection>() ||
         visit.template operator()<MotifSection>() ||
         visit.template operator()<SnapshotSection>() || visit.template operator()<ReverbSection>();
}

// The list of `Kind`'s blocks in `sections`.
template <class Kind, class Sections>
requires std::same_as<std::remove_const_t<Sections>, TrackSections>
auto& list_of(Sections& sections) {
  if constexpr (std::same_as<Kind, SongSection>) return sections.songs;
  if constexpr (std::same_as<Kind, LayerSection>) return sections.layers;
  if constexpr (std::same_as<Kind, SoundSection>) return sections.sounds;
  if constexpr (std::same_as<Kind, TuningSection>) return sections.tunings;
  if constexpr (std::same_as<Kind, WaveSection>) return sections.waves;
  if constexpr (std::same_as<Kind, SubtitleSection>) return sections.subtitles;
  if constexpr (std::same_as<Kind, MotifSection>) return sections.motifs;
  if constexpr (std::same_as<Kind, SnapshotSection>) return sections.snapshots;
  if constexpr (std::same_as<Kind, ReverbSection>) return sections.reverb;
}

// Calls `visit.template operator()<Kind>(list)` with each kind and its list
// in order until it answers true; answers whether one did.
template <class Sections, class Visit>
requires std::same_as<std::remove_const_t<Sections>, TrackSections>
bool any_list(Sections& sections, Visit&& visit) {
  return any_kind(
      [&]<class Kind>() { return visit.template operator()<Kind>(list_of<Kind>(sections)); });
}

// What reading one document carries from block to block: the ratios that
// its "equal" lines have made so far.
using TrackReadState = EqualRatioBudget;

// Claims a section whose title is one of the nine, exactly: its blocks are
// parsed and appended after those already held, then its own lines.
voromel::Result<header_format::Claim, header_format::ParseError> claim_section(
    TrackSections& sections, std::string_view title, std::vector<std::string_view>& lines,
    std::vector<header_format::Instance>& blocks, TrackReadState& state);

inline voromel::Result<TrackDocument, header_format::ParseError> parse_track_document(
    std::string_view text) {
  return header_format::parse_document<TrackDocument, TrackReadState>(text);
}
inline voromel::Result<TrackDocument, header_format::ParseError> parse_unmarked_track_document(
    std::string_view text) {
  return header_format::parse_unmarked_document<TrackDocument, TrackReadState>(text);
}

// The canonical text of a document, without the checks of
// `voromel::Document::write`: what the document holds, written.
std::string serialize_document(const TrackDocument& document);

}  // namespace voromel::track::multisong
