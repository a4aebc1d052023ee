#pragma once

#include <voromel/header_format/document.h>
#include <voromel/header_format/section_list.h>
#include <voromel/song/layer.h>
#include <voromel/song/song.h>
#include <voromel/song/sound.h>
#include <voromel/song/tuning.h>
#include <voromel/track/multisong/blocks.h>

namespace voromel::track::multisong {

// The nine known sections of a track document, in the order they are written
// and checked.
struct TrackSections {
  header_format::SectionList<song::Song> songs;
  header_format::SectionList<song::Layer> layers;
  header_format::SectionList<song::Sound> sounds;
  header_format::SectionList<song::Tuning> tunings;
  header_format::SectionList<Wave> waves;
  header_format::SectionList<SubtitleTrack> subtitles;
  header_format::SectionList<Motif> motifs;
  header_format::SectionList<Snapshot> snapshots;
  header_format::SectionList<ReverbPreset> reverb;

  friend bool operator==(const TrackSections&, const TrackSections&) = default;
};

using TrackDocument = header_format::Document<TrackSections>;

}  // namespace voromel::track::multisong
