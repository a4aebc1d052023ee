#pragma once

#include "voromel/track/multisong/track_sections.h"

// The nine section kinds, for the code that writes a document section kind
// by section kind without holding its model.
namespace voromel::track::multisong {

// Calls `visit.template operator()<Kind>()` with each of the nine kinds in
// order until it answers true; answers whether one did.
template <class Visit>
bool any_kind(Visit&& visit) {
  return visit.template operator()<SongSection>() || visit.template operator()<LayerSection>() ||
         visit.template operator()<SoundSection>() ||
         visit.template operator()<format::TuningSection>() ||
         visit.template operator()<WaveSection>() || visit.template operator()<SubtitleSection>() ||
         visit.template operator()<MotifSection>() ||
         visit.template operator()<SnapshotSection>() || visit.template operator()<ReverbSection>();
}

}  // namespace voromel::track::multisong
