#include "track/multisong/written_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "header_format/text.h"
#include "track/format/notes.h"
#include "track/multisong/read_back.h"
#include "track/multisong/section_kinds.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::multisong {

namespace {

using voromel::SectionList;
using Problem = std::optional<std::string>;

// Lines are cut at '\n' alone; a carriage return inside a line is kept.
Problem line_end(std::string_view text) {
  if (text.find('\n') == std::string_view::npos) return std::nullopt;
  return "holds a line end";
}

// Text that is read as the rest of a line, trimmed.
Problem line_problem(std::string_view text) {
  if (auto problem = line_end(text)) return problem;
  if (header_format::trim(text) != text)
    return "has white space at an edge, which would be dropped";
  return std::nullopt;
}

// A name that a heading reads as the rest of its line. One that starts
// with '#' stays a name: the heading's own marks end at the space before it.
Problem title_problem(std::string_view text) {
  return line_problem(text);
}

// A name that a line reads as one token among others.
Problem token_problem(std::string_view text) {
  if (text.empty()) return "is empty";
  if (auto problem = line_end(text)) return problem;
  if (header_format::contains_white_space(text)) return "holds white space, which would end it";
  return std::nullopt;
}

// A line kept as it is, which must not become a heading.
Problem kept_line_problem(std::string_view text) {
  if (auto problem = line_end(text)) return problem;
  if (text.ends_with('\r')) return "ends in a carriage return, which would be dropped";
  if (text.starts_with('#')) return "starts with '#', which would read back as a heading";
  return std::nullopt;
}

std::string fault(std::string_view field, std::string_view text, std::string_view where,
                  const std::string& problem) {
  std::string message(field);
  message += ' ';
  message += shown_text(text);
  message += where;
  message += ' ';
  message += problem;
  return message;
}

std::string in_block(std::string_view name, std::string_view title) {
  return " in '## " + std::string(name) + "' of '# " + std::string(title) + "'";
}

// The first name used twice, in the order of `names`.
template <class Item, class Name>
const Item* repeated(const std::vector<Item>& items, Name name) {
  std::vector<std::string_view> seen;
  for (const Item& item : items) {
    const std::string_view text = name(item);
    if (std::find(seen.begin(), seen.end(), text) != seen.end()) return &item;
    seen.push_back(text);
  }
  return nullptr;
}

// "jump 1 of '## main' in '# Songs': ..."
std::string jump_fault(std::string_view label, std::size_t index, std::string_view name,
                       std::string_view title, std::string_view problem) {
  return std::string(label) + ' ' + std::to_string(index + 1) + " of '## " + std::string(name) +
         "' in '# " + std::string(title) + "': " + std::string(problem);
}

// A plays count is a whole number that the text's unsigned count gives.
bool is_plays_count(float value) {
  return value >= 0 && !std::signbit(value) && value <= 4294967296.0f &&
         static_cast<float>(static_cast<std::uint64_t>(value)) == value;
}

Problem condition_problem(const song::JumpCondition& condition) {
  using Source = song::JumpCondition::Source;
  if (condition.source == Source::Parameter &&
      (condition.parameter == "plays" || condition.parameter == "random")) {
    return "condition parameter " + shown_text(condition.parameter) +
           " would read back as the built-in source";
  }
  if (condition.source == Source::Parameter) {
    if (auto problem = token_problem(condition.parameter)) {
      return "condition parameter " + shown_text(condition.parameter) + ' ' + *problem;
    }
  }
  if (condition.source != Source::Parameter && !condition.parameter.empty()) {
    return "condition parameter " + shown_text(condition.parameter) +
           " is set for a built-in source, which reads no name";
  }
  if (condition.source == Source::Plays && !is_plays_count(condition.value)) {
    return "plays condition value " + shown_text(number_text(condition.value)) +
           " is not a whole number from 0 to 4294967295, which is all the text can give";
  }
  return std::nullopt;
}

template <class Jump>
Problem jumps_problem(const std::vector<Jump>& jumps, std::string_view label,
                      std::string_view name) {
  for (std::size_t i = 0; i < jumps.size(); ++i) {
    const Jump& jump = jumps[i];
    Problem problem;
    if constexpr (std::is_same_v<Jump, song::JumpAt>) {
      const std::string* marker = jump.position.marker();
      if (marker && is_number(*marker)) {
        problem = "position marker " + shown_text(*marker) +
                  " is a number, which would read back as a beat";
      }
    }
    if (!problem && jump.condition) problem = condition_problem(*jump.condition);
    if (problem) return jump_fault(label, i, name, SongSection::title, *problem);
  }
  return std::nullopt;
}

Problem song_problem(const song::Song& song, const std::string& where) {
  if (song.tempo_param) {
    if (auto problem = token_problem(song.tempo_param->name)) {
      return fault("tempo parameter name", song.tempo_param->name, where, *problem);
    }
  }
  for (const song::Param& param : song.params) {
    if (auto problem = token_problem(param.name)) {
      return fault("parameter name", param.name, where, *problem);
    }
  }
  if (const auto* param =
          repeated(song.params, [](const song::Param& p) -> std::string_view { return p.name; })) {
    return fault("parameter name", param->name, where, "is repeated");
  }
  for (const std::string& layer : song.layers) {
    if (auto problem = line_problem(layer)) return fault("layer name", layer, where, *problem);
  }
  for (const song::Marker& marker : song.markers) {
    if (auto problem = token_problem(marker.name)) {
      return fault("marker name", marker.name, where, *problem);
    }
    if (is_number(marker.name)) {
      return fault("marker name", marker.name, where,
                   "is a number, which would read back as a beat");
    }
  }
  if (const auto* marker = repeated(
          song.markers, [](const song::Marker& m) -> std::string_view { return m.name; })) {
    return fault("marker name", marker->name, where, "is repeated");
  }
  return std::nullopt;
}

Problem jumps_problem(const song::Song& song, std::string_view name) {
  if (auto problem = jumps_problem(song.jumps, "jump", name)) return problem;
  return jumps_problem(song.jump_ats, "jump-at", name);
}

// The first token of a note line says what the line is.
Problem note_sound_problem(std::string_view sound) {
  if (auto problem = token_problem(sound)) return problem;
  if (sound.starts_with('@')) return "starts with '@', which would read back as a directive";
  switch (format::classify_line_start(sound)) {
    case format::LineStart::Motif:
      return "is a keyword, which would read back as a motif placement";
    case format::LineStart::Subtrack:
      return "is a keyword, which would read back as a subtrack placement";
    case format::LineStart::AudioClip:
      return "names an audio file, which would read back as an audio clip";
    case format::LineStart::Heading:
      return "starts with '#', which would read back as a heading";
    case format::LineStart::Sound:
      break;
  }
  return std::nullopt;
}

Problem layer_problem(const song::Layer& layer, const std::string& where) {
  for (const song::Note& note : layer.notes) {
    if (auto problem = note_sound_problem(note.sound)) {
      return fault("note sound", note.sound, where, *problem);
    }
    if (auto text_problem = line_end(note.text)) {
      return fault("note text", note.text, where, *text_problem);
    }
  }
  return std::nullopt;
}

Problem motif_problem(const Motif& motif, const std::string& where) {
  for (const song::Note& note : motif.notes) {
    if (auto problem = line_end(note.text)) return fault("note text", note.text, where, *problem);
  }
  return std::nullopt;
}

// A subtitle's text is the rest of its line, after the beat.
Problem subtitles_problem(const SubtitleTrack& track, const std::string& where) {
  for (const song::Subtitle& subtitle : track.subtitles) {
    if (auto problem = line_problem(subtitle.text)) {
      return fault("subtitle text", subtitle.text, where, *problem);
    }
  }
  return std::nullopt;
}

// A name that starts with '#' is written indented, so that it stays a name.
Problem snapshot_problem(const Snapshot& snapshot, const std::string& where) {
  for (const auto& [name, value] : snapshot.values) {
    if (auto problem = token_problem(name)) {
      return fault("parameter name", name, where, *problem);
    }
  }
  return std::nullopt;
}

template <class Kind>
Problem list_problem(const SectionList<typename Kind::Value>& list) {
  const std::string before = " before the first block of '# " + std::string(Kind::title) + "'";
  for (const std::string& line : list.lines) {
    if (auto problem = kept_line_problem(line)) return fault("line", line, before, *problem);
  }
  const std::string of = " of '# " + std::string(Kind::title) + "'";
  for (const auto& item : list.items) {
    if (auto problem = title_problem(item.name))
      return fault("block name", item.name, of, *problem);
    const std::string where = in_block(item.name, Kind::title);
    Problem problem;
    if constexpr (std::is_same_v<typename Kind::Value, song::Song>) {
      problem = song_problem(item.value, where);
      if (!problem) problem = jumps_problem(item.value, item.name);
    } else if constexpr (std::is_same_v<typename Kind::Value, song::Layer>) {
      problem = layer_problem(item.value, where);
    } else if constexpr (std::is_same_v<typename Kind::Value, Motif>) {
      problem = motif_problem(item.value, where);
    } else if constexpr (std::is_same_v<typename Kind::Value, SubtitleTrack>) {
      problem = subtitles_problem(item.value, where);
    } else if constexpr (std::is_same_v<typename Kind::Value, Snapshot>) {
      problem = snapshot_problem(item.value, where);
    }
    if (problem) return problem;
  }
  return std::nullopt;
}

Problem meta_problem(const voromel::Meta& meta) {
  const auto value = [](std::string_view field, const std::optional<std::string>& text) -> Problem {
    if (!text) return std::nullopt;
    Problem problem = text->empty() ? Problem("is empty") : line_problem(*text);
    if (problem) return fault(field, *text, " of '# Meta'", *problem);
    return std::nullopt;
  };
  if (auto problem = value("title", meta.title)) return problem;
  if (auto problem = value("author", meta.author)) return problem;
  // The description's lines are kept as they are, so none may be a heading.
  if (meta.description) {
    for (std::string_view rest = *meta.description;;) {
      const std::size_t end = rest.find('\n');
      if (rest.starts_with('#')) {
        return fault("description", *meta.description, " of '# Meta'",
                     "has a line that starts with '#', which would read back as a heading");
      }
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }
  // A tag that starts with '#' is written indented, so that it stays a tag.
  for (const std::string& tag : meta.tags) {
    Problem problem = tag.empty() ? Problem("is empty") : line_problem(tag);
    if (problem) return fault("tag", tag, " of '# Meta'", *problem);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> unwritable_field(const TrackDocument& document) {
  for (const std::string& line : document.leading_lines) {
    if (auto problem = kept_line_problem(line)) {
      return fault("line", line, " before the first heading", *problem);
    }
  }
  if (auto problem = meta_problem(document.meta)) return problem;
  Problem problem;
  any_list(document.sections, [&]<class Kind>(const SectionList<typename Kind::Value>& list) {
    problem = list_problem<Kind>(list);
    return problem.has_value();
  });
  if (problem) return problem;
  for (const voromel::UnknownSection& section : document.unknown) {
    if (auto title = title_problem(section.title)) {
      return fault("section title", section.title, "", *title);
    }
  }
  return std::nullopt;
}

}  // namespace voromel::track::multisong
