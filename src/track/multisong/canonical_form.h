#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <voromel/model.h>
#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "track/multisong/section_checks.h"

// The canonical text of a document, written block by block: each block is
// read, written and dropped before the next, in the order the canonical text
// has them, so that only one block's value is alive at a time.
namespace voromel::track::multisong {

// Where the canonical text goes as it is written. While it matches the input
// it is compared and dropped, so that an input that is canonical already is
// never copied; from the first difference on it is kept whole.
class CanonicalOutput {
 public:
  explicit CanonicalOutput(std::string_view input);

  // The writers append here. Between `settle` calls it holds the text
  // written since, after at least the last two bytes before it (or all the
  // text, if shorter), so that the writers can look back for blank lines.
  std::string& text() { return pending_; }

  // Compares what was written since the last call with the input.
  void settle();

  bool same_as_input();
  // The whole text written.
  std::string take() &&;

 private:
  std::string_view input_;
  std::string pending_;
  // How many bytes before `pending_` were written and matched the input.
  std::size_t matched_ = 0;
  bool differs_ = false;
};

// What writing a document block by block carries from block to block.
struct WriteMemo;

// A document read and written in canonical form.
struct CanonicalForm {
  // Whether the canonical text is the text read.
  bool same_as_input = false;
  // The canonical text, when it differs from the text read.
  std::string text;
  // Why a rewrite must not replace the text read: it holds text that the
  // rewrite would drop or that nothing reads.
  std::optional<Refusal> refusal;
};

// Why a rewrite must not replace a text: the first reason of each class, in
// the order the canonical text meets them.
struct Refusals {
  // Text in a known section before its first block, which nothing reads.
  std::optional<Refusal> preamble;
  // A sub-block, which nothing reads and the rewrite would drop: the meta
  // section's first, else the first of a block.
  std::optional<Refusal> sub_block;
  // Every "# Meta" section but the last would be dropped.
  std::size_t meta_sections = 0;
  // The second "# Meta" section's title in the text read, if known.
  std::string_view second_meta;

  // The first refusal of the default mode.
  std::optional<Refusal> first() const;
  // The first refusal of text that the rewrite would drop.
  std::optional<Refusal> first_lost_text() const;
};

// Reads `text` and writes it in canonical form. The error is the one of the
// first block in file order that does not read.
voromel::Result<CanonicalForm, header_format::ParseError> canonical_form(std::string_view text);
// The same, with what earlier texts left in `memo`: it keeps only what
// depends on nothing but itself, so that any texts may share one.
voromel::Result<CanonicalForm, header_format::ParseError> canonical_form(std::string_view text,
                                                                         WriteMemo& memo);

// A document held in its model, written in canonical form.
struct WrittenDocument {
  std::string text;
  Refusals refusals;
};
WrittenDocument write_document(const TrackDocument& document);

}  // namespace voromel::track::multisong
