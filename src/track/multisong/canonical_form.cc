#include "track/multisong/canonical_form.h"

#include <algorithm>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "header_format/outline.h"
#include "track/multisong/section_checks.h"
#include "track/multisong/section_kinds.h"
#include "track/multisong/write_memo.h"

namespace voromel::track::multisong {

using header_format::Instance;
using header_format::ParseError;
using header_format::SectionReader;
using header_format::SectionText;
using voromel::Ok;
using voromel::Result;

// The canonical text is usually about as long as the input: room for that
// and a little more spares copying it while it grows, even within one large
// block. Room that is never written takes no memory.
CanonicalOutput::CanonicalOutput(std::string_view input) : input_(input) {
  pending_.reserve(input_.size() + input_.size() / 8);
}

void CanonicalOutput::settle() {
  if (differs_) return;
  if (input_.substr(matched_, pending_.size()) != pending_) {
    pending_.insert(0, input_.substr(0, matched_));
    matched_ = 0;
    differs_ = true;
    return;
  }
  const std::size_t dropped = pending_.size() - std::min<std::size_t>(pending_.size(), 2);
  matched_ += dropped;
  pending_.erase(0, dropped);
}

bool CanonicalOutput::same_as_input() {
  settle();
  return !differs_ && matched_ + pending_.size() == input_.size();
}

std::string CanonicalOutput::take() && {
  settle();
  if (!differs_) pending_.insert(0, input_.substr(0, matched_));
  return std::move(pending_);
}

namespace {

bool is_known_title(std::string_view title) {
  return any_kind([&]<class Kind>() { return Kind::title == title; });
}

// The one walk over a document in canonical order: leading lines, the last
// meta section, the nine known kinds (each gathering its sections in file
// order), then the unknown sections in file order. Notes on the way the
// first reason to refuse a rewrite in each class. Where a block's value
// comes from is the source's business: a model holds it, an outline has it
// read when it is written.
template <class Source, class Output>
class Writer {
 public:
  Writer(Source& source, Output& out) : source_(source), out_(out) {}

  Result<Ok, ParseError> run() {
    for (const std::string_view line : source_.leading_lines()) append_line(line);
    out_.settle();
    if (auto written = source_.with_meta([&](const voromel::Meta& meta) { write(meta); });
        !written) {
      return written;
    }
    refusals_.meta_sections = source_.meta_sections();
    refusals_.second_meta = source_.second_meta();
    std::optional<ParseError> failure;
    any_kind([&]<class Kind>() {
      if (auto written = write_kind<Kind>(); !written) failure = std::move(written).error();
      return failure.has_value();
    });
    if (failure) return std::move(*failure);
    source_.for_each_unknown(*this);
    return Ok{};
  }

  const Refusals& refusals() const { return refusals_; }

  // A block of the kind being written: its heading, then the body that
  // `write_body(out)` appends; `sub_block` is the heading of its first
  // sub-block, which nothing reads.
  template <class WriteBody>
  Result<Ok, ParseError> write_block(std::string_view title, std::string_view name,
                                     WriteBody&& write_body,
                                     const std::optional<std::string>& sub_block,
                                     std::string_view sub_block_place = {}) {
    header_format::serialize_block_heading(out_.text(), name);
    if (auto written = write_body(out_.text()); !written) return written;
    out_.settle();
    if (sub_block && !refusals_.sub_block) {
      refusals_.sub_block = sub_block_refusal(*sub_block, name, title, sub_block_place);
    }
    return Ok{};
  }

  void write_unknown_head(std::string_view title, std::span<const std::string_view> lines) {
    header_format::serialize_section_head(out_.text(), title, lines);
    out_.settle();
  }

  void write_unknown_section(const voromel::UnknownSection& section) {
    header_format::write_unknown_section(out_.text(), section);
    out_.settle();
  }

  void write_unknown_block(const Instance& block) {
    header_format::serialize_instance(out_.text(), block, 0);
    out_.settle();
  }

 private:
  void append_line(std::string_view line) {
    out_.text() += line;
    out_.text() += '\n';
  }

  void write(const voromel::Meta& meta) {
    header_format::write_meta(out_.text(), meta);
    out_.settle();
    if (const auto& unread = meta.unread_sub_block) {
      refusals_.sub_block =
          sub_block_refusal(unread->heading, unread->block, "Meta", source_.meta_sub_block());
    }
  }

  template <class Kind>
  Result<Ok, ParseError> write_kind() {
    const auto own_lines = source_.template own_lines<Kind>();
    if (own_lines.empty() && !source_.template has_blocks<Kind>()) return Ok{};
    header_format::serialize_section_head(out_.text(), Kind::title, own_lines);
    if (!refusals_.preamble) refusals_.preamble = preamble_refusal(Kind::title, own_lines);
    return source_.template write_blocks<Kind>(*this);
  }

  Source& source_;
  Output& out_;
  Refusals refusals_;
};

// A document held whole in its model.
class ModelSource {
 public:
  explicit ModelSource(const TrackDocument& document) : document_(document) {}

  const std::vector<std::string>& leading_lines() const { return document_.leading_lines; }

  template <class Use>
  Result<Ok, ParseError> with_meta(Use&& use) const {
    use(document_.meta);
    return Ok{};
  }
  std::size_t meta_sections() const { return document_.meta_sections; }
  std::string_view second_meta() const { return {}; }
  std::string_view meta_sub_block() const { return {}; }

  template <class Kind>
  std::vector<std::string_view> own_lines() const {
    const auto& lines = list_of<Kind>(document_.sections).lines;
    return std::vector<std::string_view>(lines.begin(), lines.end());
  }
  template <class Kind>
  bool has_blocks() const {
    return !list_of<Kind>(document_.sections).items.empty();
  }

  template <class Kind, class Writer>
  Result<Ok, ParseError> write_blocks(Writer& writer) {
    for (const auto& item : list_of<Kind>(document_.sections).items) {
      auto write_body = [&](std::string& out) -> Result<Ok, ParseError> {
        header_format::serialize_block<Kind>(item.value, out, equal_ratios_written_);
        return Ok{};
      };
      if (auto written =
              writer.write_block(Kind::title, item.name, write_body, item.unread_sub_block);
          !written) {
        return written;
      }
    }
    return Ok{};
  }

  template <class Writer>
  void for_each_unknown(Writer& writer) const {
    for (const voromel::UnknownSection& section : document_.unknown) {
      writer.write_unknown_section(section);
    }
  }

 private:
  const TrackDocument& document_;
  // Equal-tempered tunings are written as "equal" lines only while the
  // document's allowance lasts, so that the text reads back.
  EqualRatioBudget equal_ratios_written_;
};

// A document read from its outline one block at a time, each block read and
// written before the next is split.
class OutlineSource {
 public:
  OutlineSource(const header_format::DocumentOutline& outline, WriteMemo& memo)
      : outline_(outline), memo_(memo) {}

  const std::vector<std::string_view>& leading_lines() const { return outline_.leading_lines; }

  // A later meta section replaces an earlier one entirely.
  template <class Use>
  Result<Ok, ParseError> with_meta(Use&& use) {
    voromel::Meta meta;
    for (std::size_t index = 0; index < outline_.section_count(); ++index) {
      const SectionText section = outline_.section(index);
      if (section.title != "Meta") continue;
      SectionReader reader(section);
      std::vector<Instance> blocks;
      while (auto block = reader.next_block()) blocks.push_back(std::move(*block));
      auto read = header_format::read_meta(reader.own_lines(), blocks);
      if (!read) return std::move(read).error();
      meta = std::move(read).value();
      meta_sub_block_ = header_format::unread_sub_block_heading(blocks, meta);
      if (++meta_sections_ == 2) second_meta_ = section.title;
    }
    use(meta);
    return Ok{};
  }
  std::size_t meta_sections() const { return meta_sections_; }
  std::string_view second_meta() const { return second_meta_; }
  std::string_view meta_sub_block() const { return meta_sub_block_; }

  // The writer asks for a kind's own lines first; whether the kind has
  // blocks is noted on the same pass. Its sections are split again to write
  // their blocks, one section at a time, so that a kind with very many
  // sections never holds them all.
  template <class Kind>
  std::vector<std::string_view> own_lines() {
    std::vector<std::string_view> lines;
    kind_has_blocks_ = false;
    for_each_section_of<Kind>([&](SectionReader& reader) {
      lines.insert(lines.end(), reader.own_lines().begin(), reader.own_lines().end());
      kind_has_blocks_ = kind_has_blocks_ || reader.has_blocks_left();
      return true;
    });
    return lines;
  }
  template <class Kind>
  bool has_blocks() const {
    return kind_has_blocks_;
  }

  template <class Kind, class Writer>
  Result<Ok, ParseError> write_blocks(Writer& writer) {
    std::optional<ParseError> failure;
    for_each_section_of<Kind>([&](SectionReader& reader) {
      while (const auto block = reader.next_block()) {
        if (auto written = write_block<Kind>(writer, *block); !written) {
          failure = std::move(written).error();
          return false;
        }
      }
      return true;
    });
    if (failure) return std::move(*failure);
    return Ok{};
  }

  template <class Writer>
  void for_each_unknown(Writer& writer) const {
    for (std::size_t index = 0; index < outline_.section_count(); ++index) {
      const SectionText section = outline_.section(index);
      if (section.title == "Meta" || is_known_title(section.title)) continue;
      SectionReader reader(section);
      writer.write_unknown_head(section.title, reader.own_lines());
      while (const auto block = reader.next_block()) writer.write_unknown_block(*block);
    }
  }

 private:
  // Calls `visit(reader)` with each section of the kind in file order while
  // it answers true.
  template <class Kind, class Visit>
  void for_each_section_of(Visit&& visit) const {
    for (std::size_t index = 0; index < outline_.section_count(); ++index) {
      const SectionText section = outline_.section(index);
      if (section.title != Kind::title) continue;
      SectionReader reader(section);
      if (!visit(reader)) return;
    }
  }

  template <class Kind, class Writer>
  Result<Ok, ParseError> write_block(Writer& writer, const Instance& block) {
    auto write_body = [&](std::string& out) -> Result<Ok, ParseError> {
      auto written = header_format::write_block_body<Kind>(block.lines, out, equal_ratios_read_,
                                                           equal_ratios_written_, memo_);
      if (!written) {
        return written.error()
            .shifted(block.first_line)
            .in_block(Kind::title, block.name)
            .at(block.heading);
      }
      return Ok{};
    };
    std::optional<std::string> sub_block;
    std::string_view sub_block_place;
    if (!block.children.empty()) {
      sub_block = header_format::sub_block_heading(block.children.front());
      sub_block_place = block.children.front().heading;
    }
    return writer.write_block(Kind::title, block.name, write_body, sub_block, sub_block_place);
  }

  const header_format::DocumentOutline& outline_;
  // Whether the kind being written has blocks.
  bool kind_has_blocks_ = false;
  std::size_t meta_sections_ = 0;
  std::string_view second_meta_;
  std::string_view meta_sub_block_;
  EqualRatioBudget equal_ratios_read_;
  EqualRatioBudget equal_ratios_written_;
  WriteMemo& memo_;
};

// The text appended to a string, whole.
class StringOutput {
 public:
  std::string& text() { return text_; }
  void settle() {}
  std::string take() && { return std::move(text_); }

 private:
  std::string text_;
};

// A byte-order mark belongs to no line: the text after it is written as if
// it were the whole text, and the mark is put back in front.
void put_back_mark(bool marked, std::string& text) {
  if (marked) text.insert(0, header_format::byte_order_mark);
}

Result<CanonicalForm, ParseError> canonical_form_of_unmarked(std::string_view text,
                                                             WriteMemo& memo) {
  auto outline = header_format::outline_document(text);
  if (!outline) return std::move(outline).error();
  CanonicalOutput out(text);
  OutlineSource source(outline.value(), memo);
  Writer writer(source, out);
  if (auto written = writer.run(); !written) {
    // Blocks are read in canonical order; the error to report is the first
    // that reading the whole document in file order meets.
    auto document = parse_unmarked_track_document(text);
    if (!document) return std::move(document).error();
    return std::move(written).error();
  }
  CanonicalForm form;
  form.refusal = writer.refusals().first();
  form.same_as_input = out.same_as_input();
  if (!form.same_as_input) form.text = std::move(out).take();
  return form;
}

}  // namespace

std::optional<Refusal> Refusals::first() const {
  if (preamble) return preamble;
  return first_lost_text();
}

std::optional<Refusal> Refusals::first_lost_text() const {
  if (sub_block) return sub_block;
  if (meta_sections > 1) return repeated_meta_refusal(meta_sections, second_meta);
  return std::nullopt;
}

Result<CanonicalForm, ParseError> canonical_form(std::string_view text) {
  WriteMemo memo;
  return canonical_form(text, memo);
}

Result<CanonicalForm, ParseError> canonical_form(std::string_view text, WriteMemo& memo) {
  const bool marked = text.starts_with(header_format::byte_order_mark);
  if (marked) text.remove_prefix(header_format::byte_order_mark.size());
  auto form = canonical_form_of_unmarked(text, memo);
  if (form && !form.value().same_as_input) put_back_mark(marked, form.value().text);
  return form;
}

WrittenDocument write_document(const TrackDocument& document) {
  StringOutput out;
  ModelSource source(document);
  Writer writer(source, out);
  // Every value of a model has its text: writing one cannot fail.
  (void)writer.run();
  WrittenDocument written{std::move(out).take(), writer.refusals()};
  put_back_mark(document.has_byte_order_mark, written.text);
  return written;
}

std::string serialize_document(const TrackDocument& document) {
  return write_document(document).text;
}

}  // namespace voromel::track::multisong
