#include "voromel/structure.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>
#include <utility>

#include "header_format/meta_section.h"
#include "header_format/outline.h"
#include "header_format/text.h"
#include "placed_errors.h"
#include "text_places.h"
#include "track/multisong/section_checks.h"
#include "track/multisong/section_kinds.h"
#include "track/name_log.h"
#include "track/scalars.h"

namespace voromel {

namespace track {
thread_local Met* NameLog::current_ = nullptr;
}  // namespace track

namespace {

using header_format::Instance;
using header_format::SectionReader;
using header_format::SectionText;

constexpr std::array<std::string_view, 10> section_titles = {
    "Meta",  "Songs",     "Layers", "Sounds",    "Tunings",
    "Waves", "Subtitles", "Motifs", "Snapshots", "Reverb"};

SectionKind kind_titled(std::string_view title) {
  const auto found = std::find(section_titles.begin(), section_titles.end(), title);
  return static_cast<SectionKind>(found - section_titles.begin());
}

// The names that the block headings of a section define.
std::optional<NameKind> defined_by_blocks(SectionKind section) {
  switch (section) {
    case SectionKind::Layers:
      return NameKind::Layer;
    case SectionKind::Sounds:
      return NameKind::Sound;
    case SectionKind::Tunings:
      return NameKind::Tuning;
    case SectionKind::Waves:
      return NameKind::Wave;
    case SectionKind::Motifs:
      return NameKind::Motif;
    case SectionKind::Reverb:
      return NameKind::ReverbPreset;
    default:
      return std::nullopt;
  }
}

LineKind body_line_kind(std::string_view line) {
  const std::string_view text = header_format::trim(line);
  if (text.empty()) return LineKind::Blank;
  return text.front() == '@' ? LineKind::Directive : LineKind::Content;
}

// Reads a block body of a known section with its grammar, noting the
// names met into `names` and the numbers into `numbers`, as spans of `text`
// in file order. Whether it reads.
bool read_block_body(SectionKind section, std::span<const std::string_view> lines,
                     track::multisong::TrackReadState& state, std::string_view text,
                     std::vector<NamePlace>& names, std::vector<TextSpan>* numbers) {
  track::Met met;
  bool reads = false;
  {
    const track::NameLog log(met);
    track::multisong::any_kind([&]<class Kind>() {
      if (Kind::title != section_title(section)) return false;
      reads = header_format::parse_block<Kind>(lines, state).has_value();
      return true;
    });
  }
  if (numbers) {
    for (const std::string_view number : met.numbers) {
      if (const auto place = span_in(text, number)) numbers->push_back(*place);
    }
  }
  const std::size_t first = names.size();
  for (const track::MetName& name : met.names) {
    if (const auto place = span_in(text, name.text))
      names.push_back({name.kind, name.defines, *place});
  }
  // A line may be read out of order: a "@jump-at" reads its position last.
  std::stable_sort(
      names.begin() + static_cast<std::ptrdiff_t>(first), names.end(),
      [](const NamePlace& a, const NamePlace& b) { return a.span.begin < b.span.begin; });
  return reads;
}

bool is_read(SectionKind section) {
  return section != SectionKind::Meta && section != SectionKind::Unknown;
}

// The 1-based line of any byte of the bytes [begin, end) of a text, whose
// first line is `first_line`.
class LineStarts {
 public:
  LineStarts(std::string_view text, std::size_t begin, std::size_t end, std::size_t first_line)
      : before_(first_line - 1) {
    end = std::min(end, text.size());
    if (begin >= end) return;
    starts_.push_back(begin);
    for (std::size_t at = text.find('\n', begin); at < end; at = text.find('\n', at + 1)) {
      if (at + 1 < end) starts_.push_back(at + 1);
    }
  }
  std::size_t count() const { return starts_.size(); }
  // Lines are mostly asked for in file order: the line after the one asked
  // before is tried first.
  std::size_t line_of(std::size_t offset) const {
    const auto at = [&](std::size_t index) {
      return index < starts_.size() && starts_[index] <= offset &&
             (index + 1 == starts_.size() || offset < starts_[index + 1]);
    };
    if (!at(near_) && !at(++near_)) {
      const auto counted = static_cast<std::size_t>(
          std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin());
      near_ = counted > 0 ? counted - 1 : 0;
      if (counted == 0) return before_;
    }
    return before_ + near_ + 1;
  }

 private:
  std::size_t before_;
  std::vector<std::size_t> starts_;
  mutable std::size_t near_ = 0;
};

// Walks a text as `Document::read` splits it, reading each block of a known
// section with its own grammar while the names it meets are noted.
class StructureReader {
 public:
  // Reads the blocks of `text` whose lines reach into [first_line,
  // end_line); the kinds of lines are those of the bytes `part`, which start
  // at line `part_line`.
  StructureReader(std::string_view text, std::size_t first_line, std::size_t end_line,
                  TextSpan part, std::size_t part_line)
      : text_(text),
        starts_(text, part.begin, part.end, part_line),
        first_line_(first_line),
        end_line_(end_line) {
    structure_.first_line = part_line;
    structure_.lines.assign(starts_.count(), LineKind::Blank);
  }

  Structure read(std::string_view unmarked) && {
    auto outline = header_format::outline_document(unmarked);
    if (!outline) {
      // A heading that skips a depth ends the sections there.
      const auto skipped = span_in(unmarked, outline.error().place());
      const std::size_t end = skipped ? skipped->begin : 0;
      mark_rest(unmarked.substr(end));
      outline = header_format::outline_document(unmarked.substr(0, end));
    }
    if (!outline) return std::move(structure_);
    for (const std::string_view line : outline.value().leading_lines) {
      if (body_line_kind(line) != LineKind::Blank) mark(line, LineKind::Leading);
    }
    for (std::size_t index = 0; index < outline.value().section_count(); ++index) {
      read_section(outline.value().section(index));
    }
    return std::move(*this).finish();
  }

  void last_section_line(std::size_t line) { structure_.sections.back().line = line; }

  Structure finish() && {
    close_spans();
    return std::move(structure_);
  }

  void read_section(const SectionText& text) {
    SectionPlace section;
    section.kind = kind_titled(text.title);
    section.heading = span(text.heading);
    section.title = span(text.title);
    section.line = line_of(text.heading);
    mark(text.heading, LineKind::SectionHeading);
    SectionReader reader(text);
    for (const std::string_view line : reader.own_lines()) mark_body(line, body_line_kind(line));
    while (auto block = reader.next_block())
      section.blocks.push_back(read_block(section.kind, *block));
    structure_.sections.push_back(std::move(section));
  }

 private:
  TextSpan span(std::string_view view) const { return span_in(text_, view).value_or(TextSpan{}); }
  std::size_t line_of(std::string_view view) const { return starts_.line_of(span(view).begin); }

  void mark(std::string_view line, LineKind kind) {
    const std::size_t index = line_of(line) - structure_.first_line;
    if (index >= structure_.lines.size()) return;
    structure_.lines[index] = kind;
    if (kind == LineKind::Directive) add_directive_words(line);
  }
  // Each directive's '@' and word, up to white space or the next '@'.
  void add_directive_words(std::string_view line) {
    for (const std::size_t start : track::directive_starts(line)) {
      std::size_t end = start + 1;
      while (end < line.size() && line[end] != '@' &&
             header_format::white_space_length_at(line, end) == 0) {
        ++end;
      }
      if (const auto place = span_in(text_, line.substr(start, end - start)))
        structure_.directives.push_back(*place);
    }
  }

  void mark_body(std::string_view line, LineKind kind) {
    if (kind != LineKind::Blank) mark(line, kind);
  }

  // Lines past a heading that skips a depth, which nothing splits.
  void mark_rest(std::string_view rest) {
    for (std::size_t start = 0; start < rest.size();) {
      const std::size_t end = std::min(rest.find('\n', start), rest.size());
      const std::string_view line = rest.substr(start, end - start);
      mark_body(line, line.starts_with('#') ? LineKind::SubBlockHeading : body_line_kind(line));
      start = end + 1;
    }
  }

  BlockPlace read_block(SectionKind section, const Instance& block) {
    BlockPlace place = heading_place(block.heading);
    mark(block.heading, LineKind::BlockHeading);
    for (const std::string_view line : block.lines) mark_body(line, body_line_kind(line));
    add_sub_blocks(block, place);
    if (const auto kind = defined_by_blocks(section)) {
      structure_.names.push_back({*kind, true, place.name});
    }
    const std::size_t last = block.lines.empty() ? place.line : line_of(block.lines.back());
    if (is_read(section) && last >= first_line_ && place.line < end_line_) {
      place.reads = read_block_body(section, block.lines, state_, text_, structure_.names,
                                    &structure_.numbers);
    }
    return place;
  }

  BlockPlace heading_place(std::string_view heading) const {
    BlockPlace place;
    place.heading = span(heading);
    place.name = span(header_format::heading_name(heading));
    place.line = line_of(heading);
    return place;
  }

  // Sub-blocks at every depth, in file order; nothing reads their lines.
  void add_sub_blocks(const Instance& block, BlockPlace& place) {
    std::vector<const Instance*> pending;
    for (auto child = block.children.rbegin(); child != block.children.rend(); ++child) {
      pending.push_back(&*child);
    }
    while (!pending.empty()) {
      const Instance* sub = pending.back();
      pending.pop_back();
      place.sub_blocks.push_back(heading_place(sub->heading));
      mark(sub->heading, LineKind::SubBlockHeading);
      for (const std::string_view line : sub->lines) {
        if (body_line_kind(line) != LineKind::Blank) mark(line, LineKind::Content);
      }
      for (auto child = sub->children.rbegin(); child != sub->children.rend(); ++child) {
        pending.push_back(&*child);
      }
    }
  }

  // Each section and block runs to the next heading of its depth or less.
  void close_spans() {
    auto& sections = structure_.sections;
    const std::size_t past_end = structure_.first_line + structure_.lines.size();
    for (std::size_t index = 0; index < sections.size(); ++index) {
      sections[index].end_line = index + 1 < sections.size() ? sections[index + 1].line : past_end;
      close_blocks(sections[index].blocks, sections[index].end_line);
    }
  }

  static void close_blocks(std::vector<BlockPlace>& blocks, std::size_t end_line) {
    for (std::size_t index = 0; index < blocks.size(); ++index) {
      blocks[index].end_line = index + 1 < blocks.size() ? blocks[index + 1].line : end_line;
      close_blocks(blocks[index].sub_blocks, blocks[index].end_line);
    }
  }

  std::string_view text_;
  LineStarts starts_;
  // The lines whose blocks are read.
  std::size_t first_line_;
  std::size_t end_line_;
  track::multisong::TrackReadState state_;
  Structure structure_;
};

// What a part of a text is to the whole: a section's heading with its own
// lines, one of its blocks, or a whole "# Meta" section.
enum class Role { SectionHead, Block, Meta };

// A part of a text that begins at a heading, read on its own.
struct Part {
  Role role = Role::Block;
  SectionKind section = SectionKind::Unknown;
  // Its bytes in the text, and the 1-based line of the first.
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t line = 0;
  bool reads = true;
  // What a rewrite would refuse: text before the first block of a section
  // head, a sub-block of a block, a sub-block that a meta section leaves
  // unread.
  bool refused = false;
  // Spans from `begin`.
  std::vector<NamePlace> names;
};

bool holds_heading_line(std::string_view lines) {
  for (std::size_t at = 0; at < lines.size(); at = lines.find('\n', at) + 1) {
    if (lines[at] == '#') return true;
    if (lines.find('\n', at) == std::string_view::npos) break;
  }
  return false;
}

std::string defined_key(const NamePlace& name, std::string_view text) {
  std::string key(1, static_cast<char>('0' + static_cast<int>(*defining_section(name.kind))));
  key += text;
  return key;
}

}  // namespace

struct Reading::State {
  std::string text;
  std::vector<Part> parts;
  // The text is read whole every time: it did not split, or has not been
  // read yet.
  bool whole = true;
  std::optional<Error> problem;
  // How many blocks define each name, by the section they are in.
  std::unordered_map<std::string, std::size_t> defined;

  std::string_view part_text(const Part& part) const {
    return std::string_view(text).substr(part.begin, part.end - part.begin);
  }

  // A part split as its section splits it: a section head or a meta
  // section past its heading line, a block from its heading on.
  SectionReader split(const Part& part) const {
    std::string_view body = part_text(part);
    std::size_t first_line = part.line;
    if (part.role != Role::Block) {
      const std::size_t end = body.find('\n');
      body = body.substr(end == std::string_view::npos ? body.size() : end + 1);
      ++first_line;
    }
    return SectionReader(SectionText{section_title(part.section), body, first_line, {}});
  }

  void read_whole() {
    problem.reset();
    if (auto formatted = format(text); !formatted) problem = formatted.error();
  }

  void rebuild() {
    parts.clear();
    defined.clear();
    std::string_view unmarked = text;
    if (unmarked.starts_with(header_format::byte_order_mark)) {
      unmarked.remove_prefix(header_format::byte_order_mark.size());
    }
    auto outline = header_format::outline_document(unmarked);
    whole = !header_format::is_valid_utf8(text) || !outline;
    if (whole) return read_whole();
    track::multisong::TrackReadState state;
    for (std::size_t index = 0; index < outline.value().section_count(); ++index) {
      add_section(outline.value().section(index), state);
    }
    std::size_t line = 1;
    std::size_t counted = 0;
    for (std::size_t index = 0; index < parts.size(); ++index) {
      Part& part = parts[index];
      part.end = index + 1 < parts.size() ? parts[index + 1].begin : text.size();
      line += static_cast<std::size_t>(
          std::count(text.begin() + static_cast<std::ptrdiff_t>(counted),
                     text.begin() + static_cast<std::ptrdiff_t>(part.begin), '\n'));
      counted = part.begin;
      part.line = line;
    }
    for (const Part& part : parts) count_definitions(part, 1);
    compose();
  }

  std::size_t offset_of(std::string_view view) const {
    return static_cast<std::size_t>(view.data() - text.data());
  }

  void add_section(const SectionText& section, track::multisong::TrackReadState& state) {
    const SectionKind kind = kind_titled(section.title);
    const std::size_t begin = offset_of(section.heading);
    SectionReader reader(section);
    if (kind == SectionKind::Meta) {
      std::vector<Instance> blocks;
      while (auto block = reader.next_block()) blocks.push_back(std::move(*block));
      auto meta = header_format::read_meta(reader.own_lines(), blocks);
      parts.push_back({Role::Meta,
                       kind,
                       begin,
                       0,
                       0,
                       meta.has_value(),
                       meta && meta.value().unread_sub_block.has_value(),
                       {}});
      return;
    }
    parts.push_back(
        {Role::SectionHead,
         kind,
         begin,
         0,
         0,
         true,
         is_read(kind) &&
             track::multisong::preamble_refusal(section.title, reader.own_lines()).has_value(),
         {}});
    while (auto block = reader.next_block()) {
      Part part{Role::Block, kind, offset_of(block->heading), 0, 0, true, false, {}};
      read_block(part, *block, state);
      parts.push_back(std::move(part));
    }
  }

  void read_block(Part& part, const Instance& block, track::multisong::TrackReadState& state) {
    part.names.clear();
    part.refused = is_read(part.section) && !block.children.empty();
    if (const auto kind = defined_by_blocks(part.section)) {
      if (auto name = span_in(text, header_format::heading_name(block.heading))) {
        part.names.push_back({*kind, true, {name->begin - part.begin, name->end - part.begin}});
      }
    }
    if (!is_read(part.section)) return;
    std::vector<NamePlace> names;
    part.reads = read_block_body(part.section, block.lines, state, text, names, nullptr);
    for (NamePlace& name : names) {
      name.span = {name.span.begin - part.begin, name.span.end - part.begin};
      part.names.push_back(name);
    }
  }

  void count_definitions(const Part& part, int sign) {
    for (const NamePlace& name : part.names) {
      if (!name.defines || !defining_section(name.kind)) continue;
      const std::string_view name_text =
          part_text(part).substr(name.span.begin, name.span.end - name.span.begin);
      auto& count = defined[defined_key(name, name_text)];
      count = sign > 0 ? count + 1 : count - 1;
    }
  }

  // The first error in file order, else the first refusal in the order the
  // canonical text meets them.
  void compose() {
    problem.reset();
    for (const Part& part : parts) {
      if (!part.reads) return place_error(part);
    }
    const Part* preamble = nullptr;
    const Part* sub_block = nullptr;
    const Part* meta_sub_block = nullptr;
    const Part* second_meta = nullptr;
    std::size_t metas = 0;
    for (const Part& part : parts) {
      if (part.role == Role::Meta) {
        if (++metas == 2) second_meta = &part;
        meta_sub_block = part.refused ? &part : nullptr;
      } else if (part.refused) {
        const Part*& first = part.role == Role::SectionHead ? preamble : sub_block;
        if (!first || part.section < first->section) first = &part;
      }
    }
    if (preamble) return refuse_preamble(*preamble);
    if (meta_sub_block) return refuse_meta_sub_block(*meta_sub_block);
    if (sub_block) return refuse_sub_block(*sub_block);
    if (metas > 1) {
      const std::string_view heading = part_text(*second_meta);
      const std::string_view title =
          header_format::heading_name(heading.substr(0, heading.find('\n')));
      problem = refusal_error(track::multisong::repeated_meta_refusal(metas, title), text);
    }
  }

  void place_error(const Part& part) {
    if (part.section == SectionKind::Tunings) return read_whole();
    SectionReader reader = split(part);
    if (part.role == Role::Meta) {
      const auto own = reader.own_lines();
      std::vector<Instance> blocks;
      while (auto block = reader.next_block()) blocks.push_back(std::move(*block));
      auto meta = header_format::read_meta(own, blocks);
      if (!meta) problem = read_error(meta.error(), text);
      return;
    }
    const auto block = reader.next_block();
    track::multisong::TrackReadState state;
    track::multisong::any_kind([&]<class Kind>() {
      if (Kind::title != section_title(part.section)) return false;
      auto value = header_format::parse_block<Kind>(block->lines, state);
      if (!value) {
        problem = read_error(value.error()
                                 .shifted(block->first_line)
                                 .in_block(Kind::title, block->name)
                                 .at(block->heading),
                             text);
      }
      return true;
    });
  }

  // Reads `changed` in place of the text by re-reading the one part that
  // the change is in; false when the change touches a heading, a meta
  // section, a tuning or the byte-order mark, or the text is not valid
  // UTF-8 where it changed.
  bool reread(std::string_view changed) {
    const std::string_view old = text;
    const std::size_t prefix = static_cast<std::size_t>(
        std::mismatch(old.begin(), old.end(), changed.begin(), changed.end()).first - old.begin());
    if (prefix == old.size() && prefix == changed.size()) return true;
    const std::size_t most = std::min(old.size(), changed.size()) - prefix;
    const std::size_t suffix = static_cast<std::size_t>(
        std::mismatch(old.rbegin(), old.rbegin() + static_cast<std::ptrdiff_t>(most),
                      changed.rbegin())
            .first -
        old.rbegin());
    const std::size_t old_end = old.size() - suffix;
    const std::size_t new_end = changed.size() - suffix;
    // The whole lines that the change touches, before and after it.
    const std::size_t from = prefix == 0 ? 0 : old.rfind('\n', prefix - 1) + 1;
    const auto lines = [from](std::string_view in, std::size_t end) {
      return in.substr(from, std::min(in.find('\n', end), in.size()) - from);
    };
    const bool marked = old.starts_with('\xEF') || changed.starts_with('\xEF');
    if ((marked && prefix < header_format::byte_order_mark.size()) ||
        holds_heading_line(lines(old, old_end)) || holds_heading_line(lines(changed, new_end)) ||
        !header_format::is_valid_utf8(lines(changed, new_end))) {
      return false;
    }
    auto part = std::upper_bound(parts.begin(), parts.end(), from,
                                 [](std::size_t at, const Part& p) { return at < p.begin; });
    Part* touched = part == parts.begin() ? nullptr : &*std::prev(part);
    if (touched && (touched->role == Role::Meta || touched->section == SectionKind::Tunings)) {
      return false;
    }
    const std::string_view inserted = changed.substr(prefix, new_end - prefix);
    const auto line_ends = [](std::string_view in) {
      return static_cast<std::ptrdiff_t>(std::count(in.begin(), in.end(), '\n'));
    };
    const std::ptrdiff_t lines_moved =
        line_ends(inserted) - line_ends(old.substr(prefix, old_end - prefix));
    const auto bytes_moved =
        static_cast<std::ptrdiff_t>(new_end) - static_cast<std::ptrdiff_t>(old_end);
    text.replace(prefix, old_end - prefix, inserted);
    for (auto later = part; later != parts.end(); ++later) {
      later->begin =
          static_cast<std::size_t>(static_cast<std::ptrdiff_t>(later->begin) + bytes_moved);
      later->end = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(later->end) + bytes_moved);
      later->line =
          static_cast<std::size_t>(static_cast<std::ptrdiff_t>(later->line) + lines_moved);
    }
    if (touched) {
      touched->end =
          static_cast<std::size_t>(static_cast<std::ptrdiff_t>(touched->end) + bytes_moved);
      reread_part(*touched);
    }
    compose();
    return true;
  }

  void reread_part(Part& part) {
    count_definitions(part, -1);
    if (part.role == Role::SectionHead) {
      SectionReader reader = split(part);
      part.refused = is_read(part.section) && track::multisong::preamble_refusal(
                                                  section_title(part.section), reader.own_lines());
    } else {
      const auto block = split(part).next_block();
      track::multisong::TrackReadState state;
      part.reads = true;
      read_block(part, *block, state);
    }
    count_definitions(part, 1);
  }

  // The structure of the parts whose lines reach into [first_line,
  // end_line), each section's run of them read as one section.
  Structure structure(std::size_t first_line, std::size_t end_line) const {
    if (whole) return structure_of(text);
    auto first =
        std::upper_bound(parts.begin(), parts.end(), first_line,
                         [](std::size_t line, const Part& part) { return line < part.line; });
    if (first != parts.begin()) --first;
    const auto last = std::partition_point(
        first, parts.end(), [end_line](const Part& part) { return part.line < end_line; });
    if (first == last) return {};
    StructureReader reader(text, first_line, end_line, {first->begin, std::prev(last)->end},
                           first->line);
    for (auto run = first; run != last;) {
      const auto run_end = std::find_if(std::next(run), last,
                                        [](const Part& part) { return part.role != Role::Block; });
      const Part& head = section_head(run);
      reader.read_section(section_text(head, *run, *std::prev(run_end)));
      // A run that starts past its heading still gives the heading's line.
      reader.last_section_line(head.line);
      run = run_end;
    }
    return std::move(reader).finish();
  }

  const Part& section_head(std::vector<Part>::const_iterator part) const {
    while (part->role == Role::Block && part != parts.begin()) --part;
    return *part;
  }

  // The section of `head` as the parts [from, to] hold it.
  SectionText section_text(const Part& head, const Part& from, const Part& to) const {
    const std::string_view whole_text = text;
    std::string_view heading = whole_text.substr(head.begin, head.end - head.begin);
    heading = heading.substr(0, std::min(heading.find('\n'), heading.size()));
    if (heading.ends_with('\r')) heading.remove_suffix(1);
    std::size_t begin = from.begin;
    std::size_t line = from.line;
    if (from.role != Role::Block) {
      const std::size_t end = whole_text.find('\n', from.begin);
      begin = end < from.end ? end + 1 : from.end;
      ++line;
    }
    return SectionText{header_format::heading_name(heading),
                       whole_text.substr(begin, to.end - begin), line, heading};
  }

  void refuse_preamble(const Part& part) {
    SectionReader reader = split(part);
    problem = refusal_error(
        *track::multisong::preamble_refusal(section_title(part.section), reader.own_lines()), text);
  }

  void refuse_sub_block(const Part& part) {
    const auto block = split(part).next_block();
    const Instance& child = block->children.front();
    problem = refusal_error(
        track::multisong::sub_block_refusal(header_format::sub_block_heading(child), block->name,
                                            section_title(part.section), child.heading),
        text);
  }

  void refuse_meta_sub_block(const Part& part) {
    SectionReader reader = split(part);
    const auto own = reader.own_lines();
    std::vector<Instance> blocks;
    while (auto block = reader.next_block()) blocks.push_back(std::move(*block));
    const auto meta = header_format::read_meta(own, blocks);
    const auto& unread = *meta.value().unread_sub_block;
    problem = refusal_error(track::multisong::sub_block_refusal(
                                unread.heading, unread.block, "Meta",
                                header_format::unread_sub_block_heading(blocks, meta.value())),
                            text);
  }
};

std::string_view section_title(SectionKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < section_titles.size() ? section_titles[index] : std::string_view();
}

std::optional<SectionKind> defining_section(NameKind kind) {
  switch (kind) {
    case NameKind::Layer:
    case NameKind::Subtrack:
      return SectionKind::Layers;
    case NameKind::Sound:
      return SectionKind::Sounds;
    case NameKind::Motif:
      return SectionKind::Motifs;
    case NameKind::Tuning:
      return SectionKind::Tunings;
    case NameKind::ReverbPreset:
      return SectionKind::Reverb;
    case NameKind::Wave:
      return SectionKind::Waves;
    case NameKind::Parameter:
    case NameKind::Marker:
      break;
  }
  return std::nullopt;
}

Structure structure_of(std::string_view text, std::size_t first_line, std::size_t end_line) {
  if (!header_format::is_valid_utf8(text)) return {};
  std::string_view unmarked = text;
  if (unmarked.starts_with(header_format::byte_order_mark)) {
    unmarked.remove_prefix(header_format::byte_order_mark.size());
  }
  return StructureReader(text, first_line, end_line, {0, text.size()}, 1).read(unmarked);
}

Reading::Reading() : state_(std::make_unique<State>()) {}
Reading::~Reading() = default;
Reading::Reading(Reading&&) noexcept = default;
Reading& Reading::operator=(Reading&&) noexcept = default;

void Reading::read(std::string_view text) {
  if (!state_->whole && state_->reread(text)) return;
  state_->text.assign(text);
  state_->rebuild();
}

Structure Reading::structure(std::size_t first_line, std::size_t end_line) const {
  return state_->structure(first_line, end_line);
}

const std::optional<Error>& Reading::problem() const {
  return state_->problem;
}

std::vector<NamePlace> Reading::undefined_uses(std::span<const NameKind> kinds) const {
  std::vector<NamePlace> found;
  std::string key;
  for (const Part& part : state_->parts) {
    for (const NamePlace& name : part.names) {
      if (name.defines || !defining_section(name.kind) ||
          std::find(kinds.begin(), kinds.end(), name.kind) == kinds.end()) {
        continue;
      }
      key = defined_key(
          name, state_->part_text(part).substr(name.span.begin, name.span.end - name.span.begin));
      const auto defined = state_->defined.find(key);
      if (defined != state_->defined.end() && defined->second > 0) continue;
      found.push_back(
          {name.kind, false, {part.begin + name.span.begin, part.begin + name.span.end}});
    }
  }
  return found;
}

}  // namespace voromel
