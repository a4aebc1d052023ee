#include "track/multisong/layer.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "header_format/text.h"
#include "song/total_order.h"
#include "track/body_lines.h"
#include "track/described_directives.h"
#include "track/directive_table.h"
#include "track/format/clips.h"
#include "track/format/effects.h"
#include "track/format/note_curves.h"
#include "track/format/notes.h"
#include "track/multisong/indented_lines.h"
#include "track/multisong/write_memo.h"
#include "track/name_log.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::multisong {

using header_format::Tokens;
using song::Layer;
using voromel::Ok;

std::string LayerBodyError::text() const {
  switch (kind_) {
    case Kind::CurveWithoutNote:
      return "indented pitch/volume curve without a preceding note";
    case Kind::OverrideWithoutPlacement:
      return "indented override without a preceding motif or subtrack instance";
  }
  return {};
}

std::string_view LayerBodyError::debug_name() const {
  switch (kind_) {
    case Kind::CurveWithoutNote:
      return "CurveWithoutNote";
    case Kind::OverrideWithoutPlacement:
      return "OverrideWithoutPlacement";
  }
  return {};
}

LineResult<ClipKind> add_clip_line(Layer& layer, std::string_view line, std::size_t line_number) {
  // Read in place: a note is the commonest line and the largest value.
  song::Note& note = layer.notes.emplace_back();
  auto clip = format::read_track_line(line, line_number, note);
  if (!clip || clip.value()) layer.notes.pop_back();
  if (!clip) return std::move(clip).error();
  if (!clip.value()) return ClipKind::Note;
  if (auto* motif = std::get_if<song::MotifInstance>(&*clip.value())) {
    layer.motif_instances.push_back(std::move(*motif));
    return ClipKind::Motif;
  }
  layer.subtrack_instances.push_back(std::get<song::SubtrackInstance>(std::move(*clip.value())));
  return ClipKind::Subtrack;
}

namespace {

// "@volume <value>" or "@volume param <name> [<scale>]"; tokens after those
// are ignored.
LineResult<Ok> apply_volume(Layer& layer, std::string_view value, std::size_t line_number) {
  Tokens tokens(value);
  const auto first = tokens.next();
  if (!first) return ParseError::line(line_number, "@volume needs a value or 'param <name>'");
  if (*first != "param") {
    const auto volume = parse_float(*first, line_number, "volume");
    if (!volume) return volume.error();
    layer.volume = volume.value();
    layer.volume_param.reset();
    return Ok{};
  }
  const auto name = tokens.next();
  if (!name) return ParseError::line(line_number, "@volume param needs a parameter name");
  NameLog::use(NameKind::Parameter, *name);
  song::VolumeParam param{std::string(*name), 1.0f};
  if (const auto scale_token = tokens.next()) {
    const auto scale = parse_float(*scale_token, line_number, "volume scale");
    if (!scale) return scale.error();
    param.scale = scale.value();
  }
  layer.volume_param = std::move(param);
  return Ok{};
}

// "@loop <length> [skip <skip>]".
LineResult<Ok> apply_loop(Layer& layer, std::string_view value, std::size_t line_number) {
  Tokens tokens(value);
  const auto length_token = tokens.next();
  if (!length_token) return ParseError::line(line_number, "loop needs a length");
  const auto length = parse_float(*length_token, line_number, "loop");
  if (!length) return length.error();
  float skip = 0.0f;
  if (const auto keyword = tokens.next()) {
    if (*keyword != "skip")
      return ParseError::line(line_number, "unexpected loop token " + quoted(*keyword));
    const auto skip_token = tokens.next();
    if (!skip_token) return ParseError::line(line_number, "loop skip needs a value");
    const auto skip_value = parse_float(*skip_token, line_number, "skip");
    if (!skip_value) return skip_value.error();
    if (!tokens.empty()) return ParseError::line(line_number, "extra tokens after loop skip");
    skip = skip_value.value();
  }
  layer.loop_length = length.value();
  layer.loop_skip = skip;
  return Ok{};
}

// The whole value as one number, so "0.5 0.7" is not a number.
LineResult<Ok> set_number(float& field, std::string_view value, std::size_t line_number,
                          std::string_view label) {
  const auto number = parse_float(value, line_number, label);
  if (!number) return number.error();
  field = number.value();
  return Ok{};
}

LineResult<Ok> set_flag(bool& field, std::string_view value, std::size_t line_number,
                        std::string_view label) {
  const auto flag = parse_bool(value, line_number, label);
  if (!flag) return flag.error();
  field = flag.value();
  return Ok{};
}

LineResult<Ok> add_effect(Layer& layer, std::string_view value, std::size_t line_number) {
  auto effect = format::parse_effect(value, line_number);
  if (!effect) return std::move(effect).error();
  layer.effects.push_back(std::move(effect).value());
  return Ok{};
}

// Pieces of the directive line, separated by single spaces, appended to
// the output.
class DirectiveLine {
 public:
  explicit DirectiveLine(std::string& out) : out_(out), start_(out.size()) {}

  std::string& piece() {
    if (out_.size() > start_) out_ += ' ';
    return out_;
  }

 private:
  std::string& out_;
  std::size_t start_;
};

// Each writer appends its directive, nothing where the layer holds the value
// of `defaults`.
void append_volume(DirectiveLine& line, const Layer& layer, const Layer& defaults) {
  if (layer.volume_param) {
    std::string& out = line.piece();
    out += "@volume param ";
    out += layer.volume_param->name;
    // A scale within epsilon of 1, or not a number, is left out.
    if (number_beyond_epsilon_of(layer.volume_param->scale, song::VolumeParam{}.scale)) {
      out += ' ';
      append_number(out, layer.volume_param->scale);
    }
  } else if (layer.volume != defaults.volume) {
    append_number(line.piece() += "@volume ", layer.volume);
  }
}

template <float Layer::*field>
void append_number_field(DirectiveLine& line, std::string_view directive, const Layer& layer,
                         const Layer& defaults) {
  if (layer.*field != defaults.*field) append_number(line.piece() += directive, layer.*field);
}

template <float Layer::*field>
void number_value(std::string& out, const Layer& layer) {
  append_number(out, layer.*field);
}

template <bool Layer::*field>
void flag_value(std::string& out, const Layer& layer) {
  out += layer.*field ? "true" : "false";
}

template <bool Layer::*field>
void append_flag(DirectiveLine& line, std::string_view directive, const Layer& layer,
                 const Layer& defaults) {
  if (layer.*field == defaults.*field) return;
  std::string& out = line.piece();
  out += directive;
  flag_value<field>(out, layer);
}

void append_loop(DirectiveLine& line, const Layer& layer, const Layer& defaults) {
  if (!layer.loop_length) return;
  std::string& out = line.piece();
  out += "@loop ";
  append_number(out, *layer.loop_length);
  if (layer.loop_skip != defaults.loop_skip) {
    out += " skip ";
    append_number(out, layer.loop_skip);
  }
}

void append_tuning(DirectiveLine& line, const Layer& layer, const Layer&) {
  if (layer.tuning) line.piece() += "@tuning " + *layer.tuning;
}

void append_effects(DirectiveLine& line, const Layer& layer, const Layer&) {
  for (const song::Effect& effect : layer.effects) {
    format::append_effect(line.piece() += "@effect ", effect);
  }
}

// Every layer directive: how it is read and written.
struct LayerDirectiveEntry {
  std::string_view name;
  LineResult<Ok> (*apply)(Layer& layer, std::string_view value, std::size_t line_number);
  void (*write)(DirectiveLine& line, const Layer& layer, const Layer& defaults);
  DirectiveHelp<Layer> help;
};

// In the order they are written.
constexpr LayerDirectiveEntry layer_directives[] = {
    {"volume",
     apply_volume,
     append_volume,
     {"@volume <factor> | @volume param <name> [<scale>]", number_value<&Layer::volume>,
      "The volume, or the parameter it follows."}},
    {"pan",
     [](Layer& layer, std::string_view value, std::size_t line_number) {
       return set_number(layer.pan, value, line_number, "pan");
     },
     [](DirectiveLine& line, const Layer& layer, const Layer& defaults) {
       append_number_field<&Layer::pan>(line, "@pan ", layer, defaults);
     },
     {"@pan <position>", number_value<&Layer::pan>, "The stereo position."}},
    {"mute",
     [](Layer& layer, std::string_view value, std::size_t line_number) {
       return set_flag(layer.mute, value, line_number, "mute");
     },
     [](DirectiveLine& line, const Layer& layer, const Layer& defaults) {
       append_flag<&Layer::mute>(line, "@mute ", layer, defaults);
     },
     {"@mute <flag>", flag_value<&Layer::mute>, "Whether the layer is muted."}},
    {"solo",
     [](Layer& layer, std::string_view value, std::size_t line_number) {
       return set_flag(layer.solo, value, line_number, "solo");
     },
     [](DirectiveLine& line, const Layer& layer, const Layer& defaults) {
       append_flag<&Layer::solo>(line, "@solo ", layer, defaults);
     },
     {"@solo <flag>", flag_value<&Layer::solo>, "Whether the layer plays alone."}},
    {"loop",
     apply_loop,
     append_loop,
     {"@loop <length> [skip <skip>]", nullptr, "Loops the layer, skipping a start."}},
    {"tuning",
     [](Layer& layer, std::string_view value, std::size_t) -> LineResult<Ok> {
       NameLog::use(NameKind::Tuning, value);
       layer.tuning = std::string(value);
       return Ok{};
     },
     append_tuning,
     {"@tuning <tuning name>", nullptr, "The tuning the layer plays in."}},
    {"root",
     [](Layer& layer, std::string_view value, std::size_t line_number) {
       return set_number(layer.root, value, line_number, "root");
     },
     [](DirectiveLine& line, const Layer& layer, const Layer& defaults) {
       append_number_field<&Layer::root>(line, "@root ", layer, defaults);
     },
     {"@root <frequency>", number_value<&Layer::root>, "The root frequency."}},
    {"effect",
     add_effect,
     append_effects,
     {"@effect <type> <values>", nullptr, "An effect of the layer's chain, kept in order."}},
};

}  // namespace

LineResult<Ok> apply_layer_directive(Layer& layer, std::string_view name, std::string_view value,
                                     std::size_t line_number) {
  for (const LayerDirectiveEntry& directive : layer_directives) {
    if (directive.name == name) return directive.apply(layer, value, line_number);
  }
  return ParseError::line(line_number, "unknown layer directive " + quoted(name));
}

std::vector<Directive> layer_directives_described(std::string_view section) {
  return describe_rows<Layer>(section, "@", layer_directives);
}

void append_layer_directives(std::string& out, const Layer& layer) {
  static const Layer defaults{};
  DirectiveLine line(out);
  for (const LayerDirectiveEntry& directive : layer_directives) {
    directive.write(line, layer, defaults);
  }
}

namespace {

using BodyResult = voromel::Result<Ok, header_format::ParseError>;

// Every directive of a line that starts with '@'.
BodyResult apply_directive_line(Layer& layer, std::string_view trimmed, std::size_t line_number) {
  for (const std::string_view directive : split_directives(trimmed)) {
    const auto [name, rest] = header_format::split_at_first_white_space(directive);
    const std::string_view value = rest ? header_format::trim(*rest) : std::string_view();
    const auto applied = apply_layer_directive(layer, name, value, line_number);
    if (!applied) return header_format::ParseError::at_line(line_number, applied.error());
  }
  return Ok{};
}

// An indented line: a curve for the note above, or an override or trim for
// the placement above.
BodyResult apply_indented_line(Layer& layer, std::optional<ClipKind> last, std::string_view trimmed,
                               std::size_t line_number) {
  using Kind = LayerBodyError::Kind;
  LineResult<Ok> applied = Ok{};
  if (is_curve_line(trimmed)) {
    if (last != ClipKind::Note) {
      return header_format::ParseError::at_line(line_number,
                                                LayerBodyError(Kind::CurveWithoutNote));
    }
    applied = format::apply_note_curve(layer.notes.back(), trimmed, line_number);
    if (applied) return format::check_pitch_settles(layer.notes.back(), line_number);
  } else if (last == ClipKind::Motif) {
    song::MotifInstance& placement = layer.motif_instances.back();
    applied =
        format::apply_placement_override(placement.overrides, placement.trim, trimmed, line_number);
  } else if (last == ClipKind::Subtrack) {
    song::SubtrackInstance& placement = layer.subtrack_instances.back();
    applied =
        format::apply_placement_override(placement.overrides, placement.trim, trimmed, line_number);
  } else {
    return header_format::ParseError::at_line(line_number,
                                              LayerBodyError(Kind::OverrideWithoutPlacement));
  }
  if (!applied) return header_format::ParseError::at_line(line_number, applied.error());
  return Ok{};
}

bool in_order_of_start(const std::vector<song::Note>& notes) {
  return std::is_sorted(notes.begin(), notes.end(), [](const song::Note& a, const song::Note& b) {
    return song::total_order_key(a.start) < song::total_order_key(b.start);
  });
}

// The indices of the notes in order of start, in the IEEE total order;
// notes with equal starts keep their order.
std::vector<std::size_t> order_by_start(const std::vector<song::Note>& notes) {
  std::vector<std::pair<std::uint32_t, std::size_t>> keys;
  keys.reserve(notes.size());
  for (std::size_t i = 0; i < notes.size(); ++i) {
    keys.emplace_back(song::total_order_key(notes[i].start), i);
  }
  // The index breaks ties, which makes the sort stable.
  std::sort(keys.begin(), keys.end());
  std::vector<std::size_t> order;
  order.reserve(keys.size());
  for (const auto& key : keys) order.push_back(key.second);
  return order;
}

// Puts the notes in order of start without a second copy of them: the order
// is applied cycle by cycle, each position marked done once it holds its note.
void sort_by_start(std::vector<song::Note>& notes) {
  // Notes read from a canonical text are in order already.
  if (in_order_of_start(notes)) return;
  // The index of the note that goes to each position.
  std::vector<std::size_t> source = order_by_start(notes);
  for (std::size_t first = 0; first < source.size(); ++first) {
    if (source[first] == first) continue;
    song::Note held = std::move(notes[first]);
    std::size_t at = first;
    while (source[at] != first) {
      const std::size_t from = source[at];
      notes[at] = std::move(notes[from]);
      source[at] = at;
      at = from;
    }
    notes[at] = std::move(held);
    source[at] = at;
  }
}

// What reading a body into a value does with notes: keeps each in the
// layer as it is read.
struct KeepNotes {
  bool take_plain(std::string_view, std::size_t) { return false; }
  void reread(Layer&) {}
  void finish(Layer&) {}
};

// Reads the body into `layer`, handing each note to `notes`: a plain note
// line may be taken as text (`take_plain`), but is read into the layer after
// all (`reread`) when an indented line follows; a note read into the layer
// is handed over as the last of `layer.notes` (`finish`) once no further
// line can change it, at the next clip line or at the end of the block.
template <class Notes>
BodyResult read_body(std::span<const std::string_view> lines, Layer& layer, Notes& notes) {
  // The clip that indented lines attach to; directive and blank lines
  // leave it as it is.
  std::optional<ClipKind> last;
  auto read = for_each_body_line(lines, [&](const BodyLine& line) -> BodyResult {
    if (line.text.front() == '@') return apply_directive_line(layer, line.text, line.line_number);
    if (line.indented()) {
      if (last == ClipKind::Note) notes.reread(layer);
      return apply_indented_line(layer, last, line.text, line.line_number);
    }
    if (last == ClipKind::Note) notes.finish(layer);
    if (notes.take_plain(line.text, line.line_number)) {
      last = ClipKind::Note;
      return Ok{};
    }
    const auto kind = add_clip_line(layer, line.text, line.line_number);
    if (!kind) return header_format::ParseError::at_line(line.line_number, kind.error());
    last = kind.value();
    if (last != ClipKind::Note) return Ok{};
    return format::check_pitch_settles(layer.notes.back(), line.line_number);
  });
  if (!read) return read;
  if (last == ClipKind::Note) notes.finish(layer);
  return Ok{};
}

// The canonical lines of a layer's notes, each written as soon as the note
// is complete and put in order of start at the end, so that writing a layer
// holds the text of its notes and not their values. A note line with a
// plain head is written from its head and its tail's canonical text, unless
// a curve line follows.
class NoteLines {
 public:
  // Room for the notes of a block of `lines`, whose text is about as long as
  // theirs: a large layer then needs no copies while it grows.
  NoteLines(std::span<const std::string_view> lines, NoteTails* tails) : tails_(tails) {
    std::size_t text_size = 0;
    for (const std::string_view line : lines) text_size += line.size() + 1;
    text_.reserve(text_size);
    order_.reserve(lines.size());
    starts_.reserve(lines.size() + 1);
  }

  // Takes a note line with a plain head and a tail that reads on its own as
  // text; any other line is left to be read.
  bool take_plain(std::string_view trimmed, std::size_t line_number) {
    const auto head = format::read_plain_note_head(trimmed);
    if (!head) return false;
    const std::string* line_end = tails_->line_end(head->tail);
    if (line_end == nullptr) return false;
    taken_ = TakenLine{trimmed, line_number, *head, line_end};
    return true;
  }

  // The line taken, which reads without fail, is read into the layer: the
  // indented line under it changes its text.
  void reread(Layer& layer) {
    if (!taken_) return;
    (void)add_clip_line(layer, taken_->line, taken_->line_number);
    taken_.reset();
  }

  void finish(Layer& layer) {
    if (!taken_) {
      add(layer.notes.back());
      layer.notes.pop_back();
      return;
    }
    begin_note(taken_->head.start);
    taken_->head.append_head_to(text_);
    text_ += *taken_->line_end;
    taken_.reset();
  }

  void add(const song::Note& note) {
    begin_note(note.start);
    format::append_note(text_, note);
    text_ += '\n';
  }

  // Notes with equal starts keep the order they were read in.
  void append_in_order(std::string& out) {
    if (in_order_) {
      out += text_;
      return;
    }
    out.reserve(out.size() + text_.size());
    starts_.push_back(text_.size());
    // The index breaks ties, which makes the sort stable.
    std::sort(order_.begin(), order_.end());
    for (const auto& [key, index] : order_) {
      out.append(text_, starts_[index], starts_[index + 1] - starts_[index]);
    }
  }

 private:
  struct TakenLine {
    std::string_view line;
    std::size_t line_number;
    format::PlainNoteHead head;
    const std::string* line_end;
  };

  void begin_note(float start) {
    const std::uint32_t key = song::total_order_key(start);
    in_order_ = in_order_ && (order_.empty() || order_.back().first <= key);
    order_.emplace_back(key, static_cast<std::uint32_t>(order_.size()));
    starts_.push_back(text_.size());
  }

  std::string text_;
  // Each note's sort key and index, eight bytes a note. (No layer could hold
  // 2^32 notes: the views of their lines alone would take 64 GiB.)
  std::vector<std::pair<std::uint32_t, std::uint32_t>> order_;
  std::vector<std::size_t> starts_;
  bool in_order_ = true;
  std::optional<TakenLine> taken_;
  // Where note tails are kept, when lines are taken as text.
  NoteTails* tails_;
};

void append_directives(const Layer& layer, std::string& out) {
  const std::size_t start = out.size();
  append_layer_directives(out, layer);
  if (out.size() > start) out += '\n';
}

// The lines under a placement: its overrides, then its trim.
template <class Placement>
void append_placement_lines(std::string& out, const Placement& placement) {
  out += '\n';
  for (const song::NoteOverride& note_override : placement.overrides) {
    out += "  ";
    format::append_note_override(out, note_override);
    out += '\n';
  }
  if (placement.trim) {
    out += "  trim ";
    out += std::to_string(placement.trim->from);
    out += ' ';
    out += std::to_string(placement.trim->count);
    out += '\n';
  }
}

void append_placements(const Layer& layer, std::string& out) {
  for (const song::MotifInstance& placement : layer.motif_instances) {
    format::append_motif_instance(out, placement);
    append_placement_lines(out, placement);
  }
  for (const song::SubtrackInstance& placement : layer.subtrack_instances) {
    format::append_subtrack_instance(out, placement);
    append_placement_lines(out, placement);
  }
}

}  // namespace

voromel::Result<Layer, header_format::ParseError> LayerSection::parse(
    std::span<const std::string_view> lines) {
  Layer layer;
  // Nearly every line of a large layer is a note.
  layer.notes.reserve(lines.size());
  KeepNotes keep;
  if (auto read = read_body(lines, layer, keep); !read) return std::move(read).error();
  sort_by_start(layer.notes);
  return layer;
}

void LayerSection::serialize(const Layer& layer, std::string& out) {
  append_directives(layer, out);
  // Notes are written in order of start whatever order the value holds.
  NoteLines notes({}, nullptr);
  for (const song::Note& note : layer.notes) notes.add(note);
  notes.append_in_order(out);
  append_placements(layer, out);
}

voromel::Result<Ok, header_format::ParseError> LayerSection::write(
    std::span<const std::string_view> lines, std::string& out, WriteMemo& memo) {
  Layer layer;
  NoteLines notes(lines, &memo.note_tails);
  if (auto read = read_body(lines, layer, notes); !read) return std::move(read).error();
  append_directives(layer, out);
  notes.append_in_order(out);
  append_placements(layer, out);
  return Ok{};
}

}  // namespace voromel::track::multisong
