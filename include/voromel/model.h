#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <voromel/blocks.h>
#include <voromel/meta.h>
#include <voromel/section_list.h>
#include <voromel/song/layer.h>
#include <voromel/song/song.h>
#include <voromel/song/sound.h>
#include <voromel/song/tuning.h>

namespace voromel {

// The nine known sections of a track document, in the order they are written
// and checked.
struct TrackSections {
  SectionList<song::Song> songs;
  SectionList<song::Layer> layers;
  SectionList<song::Sound> sounds;
  SectionList<song::Tuning> tunings;
  SectionList<Wave> waves;
  SectionList<SubtitleTrack> subtitles;
  SectionList<Motif> motifs;
  SectionList<Snapshot> snapshots;
  SectionList<ReverbPreset> reverb;

  friend bool operator==(const TrackSections&, const TrackSections&) = default;
};

// A section with a title nobody claims, kept and written back as it was
// read.
struct UnknownSection {
  std::string title;
  // Its own lines and its blocks, nested ones included, as they are written
  // back: each line ends in '\n'.
  std::string body;

  friend bool operator==(const UnknownSection&, const UnknownSection&) = default;
};

// The typed model of a whole document: the lines before the first heading,
// the meta section, the nine known sections (`sections.songs.items[0].value`
// is a `song::Song`) and the unknown sections. It owns all of its text, so a
// copy stands on its own. `sections.songs.find("main")` finds a block by
// name. The model is plain data: it is read and written only through
// `Document`, so that what is written always reads back the same. Its
// values compare with ==, field by field, floats by their bits as the text
// writes them: a NaN equals the same NaN, and -0 differs from 0.
struct TrackDocument {
  // Whether the text began with a byte-order mark. It belongs to no line:
  // it is read past and written back in front of everything.
  bool has_byte_order_mark = false;
  // Lines before the first heading, carried verbatim. Blank lines at the
  // start of a text are read past, so a write refuses a first line that is
  // blank. The empty line written after them, which separates them from the
  // first heading, reads back as the last of them; a write does not count
  // it as a difference.
  std::vector<std::string> leading_lines;
  // The last "# Meta" section; a later one replaces an earlier one entirely.
  Meta meta;
  // How many "# Meta" sections the text had. A write refuses more than one,
  // since only the last is kept; 0 and 1 are the same to it.
  std::size_t meta_sections = 0;
  TrackSections sections;
  std::vector<UnknownSection> unknown;

  friend bool operator==(const TrackDocument&, const TrackDocument&) = default;
};

}  // namespace voromel
