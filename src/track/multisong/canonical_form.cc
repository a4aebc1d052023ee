#include "track/multisong/canonical_form.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "header_format/outline.h"
#include "track/multisong/section_checks.h"
#include "track/multisong/section_kinds.h"
#include "voromel/header_format/document.h"
#include "voromel/header_format/meta.h"
#include "voromel/header_format/section_list.h"
#include "voromel/header_format/split.h"
#include "voromel/track/multisong/track_sections.h"

namespace voromel::track::multisong {

using header_format::Instance;
using header_format::Ok;
using header_format::ParseError;
using header_format::Result;
using header_format::SectionReader;
using header_format::SectionText;

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

// Writes a document in canonical order: leading lines, the last meta
// section, the nine known kinds (each gathering its sections in file order),
// then the unknown sections in file order. Each section is split when it is
// written, one block at a time. Notes on the way the first reason to refuse
// a rewrite in each class.
class Writer {
 public:
  Writer(const header_format::DocumentOutline& outline, CanonicalOutput& out)
      : outline_(outline), out_(out) {}

  Result<Ok, ParseError> run() {
    for (const std::string_view line : outline_.leading_lines) append_line(line);
    out_.settle();
    if (auto written = write_meta(); !written) return written;
    std::optional<ParseError> failure;
    any_kind([&]<class Kind>() {
      if (auto written = write_kind<Kind>(); !written) failure = std::move(written).error();
      return failure.has_value();
    });
    if (failure) return std::move(*failure);
    write_unknown_sections();
    return Ok{};
  }

  // The first refusal: text before a first block, then a sub-block (the
  // meta section's first), then repeated meta sections.
  std::optional<std::string> refusal() const {
    if (preamble_) return preamble_;
    if (meta_sub_block_) return meta_sub_block_;
    if (sub_block_) return sub_block_;
    if (meta_sections_ > 1) return repeated_meta_refusal(meta_sections_);
    return std::nullopt;
  }

 private:
  void append_line(std::string_view line) {
    out_.text() += line;
    out_.text() += '\n';
  }

  // A later meta section replaces an earlier one entirely.
  Result<Ok, ParseError> write_meta() {
    header_format::Meta meta;
    for (std::size_t index = 0; index < outline_.section_count(); ++index) {
      const SectionText section = outline_.section(index);
      if (section.title != "Meta") continue;
      SectionReader reader(section);
      std::vector<Instance> blocks;
      while (auto block = reader.next_block()) blocks.push_back(std::move(*block));
      auto read = header_format::Meta::from_block(reader.own_lines(), blocks);
      if (!read) return std::move(read).error();
      meta = std::move(read).value();
      ++meta_sections_;
    }
    meta.serialize(out_.text());
    out_.settle();
    if (const auto& unread = meta.unread_sub_block) {
      meta_sub_block_ = sub_block_refusal(unread->heading, unread->block, "Meta");
    }
    return Ok{};
  }

  template <class Kind>
  Result<Ok, ParseError> write_kind() {
    std::vector<std::string_view> own_lines;
    bool has_blocks = false;
    for (std::size_t index = 0; index < outline_.section_count(); ++index) {
      const SectionText section = outline_.section(index);
      if (section.title != Kind::title) continue;
      SectionReader reader(section);
      own_lines.insert(own_lines.end(), reader.own_lines().begin(), reader.own_lines().end());
      has_blocks = has_blocks || reader.has_blocks_left();
    }
    if (own_lines.empty() && !has_blocks) return Ok{};
    header_format::serialize_section_head(out_.text(), Kind::title, own_lines);
    if (!preamble_) preamble_ = preamble_refusal(Kind::title, own_lines);
    for (std::size_t index = 0; index < outline_.section_count(); ++index) {
      const SectionText section = outline_.section(index);
      if (section.title != Kind::title) continue;
      SectionReader reader(section);
      while (const auto block = reader.next_block()) {
        if (auto written = write_block<Kind>(*block); !written) return written;
      }
    }
    return Ok{};
  }

  template <class Kind>
  Result<Ok, ParseError> write_block(const Instance& block) {
    header_format::serialize_block_heading(out_.text(), block.name);
    auto written = header_format::write_block_body<Kind>(block.lines, block.name, out_.text(),
                                                         equal_ratios_read_, equal_ratios_written_,
                                                         note_tails_);
    if (!written) return written.error().shifted(block.first_line);
    out_.settle();
    if (!sub_block_ && !block.children.empty()) {
      sub_block_ = sub_block_refusal(header_format::sub_block_heading(block.children.front()),
                                     block.name, Kind::title);
    }
    return Ok{};
  }

  void write_unknown_sections() {
    for (std::size_t index = 0; index < outline_.section_count(); ++index) {
      const SectionText section = outline_.section(index);
      if (section.title == "Meta" || is_known_title(section.title)) continue;
      SectionReader reader(section);
      header_format::serialize_section_head(out_.text(), section.title, reader.own_lines());
      while (const auto block = reader.next_block()) {
        header_format::serialize_instance(out_.text(), *block, 0);
        out_.settle();
      }
      out_.settle();
    }
  }

  const header_format::DocumentOutline& outline_;
  CanonicalOutput& out_;
  format::EqualRatioBudget equal_ratios_read_;
  format::EqualRatioBudget equal_ratios_written_;
  NoteTails note_tails_;
  std::size_t meta_sections_ = 0;
  std::optional<std::string> preamble_;
  std::optional<std::string> meta_sub_block_;
  std::optional<std::string> sub_block_;
};

}  // namespace

namespace {

Result<CanonicalForm, ParseError> canonical_form_without_mark(std::string_view text) {
  auto outline = header_format::outline_document(text);
  if (!outline) return std::move(outline).error();
  CanonicalOutput out(text);
  Writer writer(outline.value(), out);
  if (auto written = writer.run(); !written) {
    // Blocks are read in canonical order; the error to report is the first
    // that reading the whole document in file order meets.
    auto document = TrackDocument::parse_with(text);
    if (!document) return std::move(document).error();
    return std::move(written).error();
  }
  CanonicalForm form;
  form.refusal = writer.refusal();
  form.same_as_input = out.same_as_input();
  if (!form.same_as_input) form.text = std::move(out).take();
  return form;
}

}  // namespace

// A byte-order mark belongs to no line: the text after it is written as if
// it were the whole text, and the mark is put back in front.
Result<CanonicalForm, ParseError> canonical_form(std::string_view text) {
  const std::string_view mark = header_format::byte_order_mark;
  if (!text.starts_with(mark)) return canonical_form_without_mark(text);
  auto form = canonical_form_without_mark(text.substr(mark.size()));
  if (form && !form.value().same_as_input) form.value().text.insert(0, mark);
  return form;
}

}  // namespace voromel::track::multisong
