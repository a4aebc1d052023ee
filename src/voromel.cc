#include "voromel/voromel.h"

#include <utility>

#include "canonical_text.h"
#include "header_format/parse_error.h"
#include "header_format/text.h"
#include "placed_errors.h"
#include "track/multisong/canonical_form.h"
#include "track/multisong/read_back.h"
#include "track/multisong/section_kinds.h"
#include "track/multisong/write_memo.h"
#include "track/multisong/written_model.h"
#include "track/upgrade.h"

namespace voromel {

namespace {

// The tool refuses such a text when it reads the file, and the grammars
// expect none.
Result<Ok, Error> check_utf8(std::string_view text) {
  if (header_format::is_valid_utf8(text)) return Ok{};
  return Error(Error::Kind::Unreadable, "stream did not contain valid UTF-8");
}

Error refusal(std::string message) {
  return Error(Error::Kind::Refused, std::move(message));
}

// The refusal of a written text that does not read, naming the block that
// does not.
Error unreadable_written(const Error& error) {
  std::string where = "the written text";
  if (const auto& block = error.block()) {
    where = "'## " + block->name + "' of '# " + block->section + "'";
  }
  return refusal(where + " would not read back: " + error.message());
}

// The model as its canonical text reads back, so that a document read and
// written unchanged is never refused: a value the text gives but the
// writer leaves out (a loop skip without a loop, a skip of -0) reads as
// it is written. A document whose write would lose text keeps what it read,
// for `check` to refuse; so do the lines before the first heading.
TrackDocument settled(TrackDocument model, std::string_view text) {
  auto written = track::multisong::write_document(model);
  if (written.text == text || written.refusals.first()) return model;
  auto reread = track::multisong::parse_track_document(written.text);
  if (!reread) return model;
  reread.value().leading_lines = std::move(model.leading_lines);
  return std::move(reread).value();
}

}  // namespace

Result<Document, Error> Document::read(std::string_view text) {
  if (auto checked = check_utf8(text); !checked) return std::move(checked).error();
  auto model = track::multisong::parse_track_document(text);
  if (!model) return read_error(model.error(), text);
  return Document(settled(std::move(model).value(), text));
}

Result<std::string, Error> Document::write() const {
  auto written = track::multisong::write_document(model_);
  if (auto reason = written.refusals.first()) return refusal_error(std::move(*reason), {});
  if (auto field = track::multisong::unwritable_field(model_)) return refusal(std::move(*field));
  if (auto list = track::multisong::unordered_list(model_)) return refusal(std::move(*list));
  if (!header_format::is_valid_utf8(written.text)) {
    return refusal("the written text would not be valid UTF-8");
  }
  // What makes the text true to the model: it reads back to the same model.
  auto reread = track::multisong::parse_track_document(written.text);
  if (!reread) return unreadable_written(read_error(reread.error(), written.text));
  if (auto difference = track::multisong::first_difference(model_, reread.value())) {
    return refusal(std::move(*difference));
  }
  return std::move(written.text);
}

Result<Ok, Error> Document::check() const {
  if (auto reason = track::multisong::write_document(model_).refusals.first()) {
    return refusal_error(std::move(*reason), {});
  }
  return Ok{};
}

Result<std::optional<Document>, Error> Document::upgrade(std::string_view song_name) const {
  TrackDocument lifted = model_;
  auto upgraded = track::upgrade_pre_0_20(lifted, song_name);
  if (!upgraded) return located_error(upgraded.error(), Error::Kind::NotUpgradable, {});
  if (!upgraded.value()) return std::optional<Document>();
  if (auto reason = track::multisong::write_document(lifted).refusals.first_lost_text()) {
    return refusal_error(std::move(*reason), {});
  }
  // As for a read: the lifted model is what its written text reads back to.
  return std::optional<Document>(Document(settled(std::move(lifted), {})));
}

Result<CanonicalText, Error> canonical_text(std::string_view text) {
  if (auto checked = check_utf8(text); !checked) return std::move(checked).error();
  // The memo keeps the canonical text of note tails, which depends on the
  // tail alone: shared by the texts one thread formats, it spares a run
  // over many small files learning the same tails again for each.
  thread_local track::multisong::WriteMemo memo;
  auto form = track::multisong::canonical_form(text, memo);
  if (!form) return read_error(form.error(), text);
  CanonicalText written{form.value().same_as_input, std::move(form.value().text), std::nullopt};
  if (auto& reason = form.value().refusal)
    written.refusal = refusal_error(std::move(*reason), text);
  return written;
}

Result<Formatted, Error> format(std::string_view text) {
  auto form = canonical_text(text);
  if (!form) return std::move(form).error();
  if (form.value().refusal) return std::move(*form.value().refusal);
  if (form.value().same_as_input) return Formatted{std::string(text), false};
  return Formatted{std::move(form.value().text), true};
}

Result<std::optional<std::string>, Error> upgrade(std::string_view text,
                                                  std::string_view song_name) {
  // Lifted in place: no one else sees the model if the lift fails.
  if (auto checked = check_utf8(text); !checked) return std::move(checked).error();
  auto model = track::multisong::parse_track_document(text);
  if (!model) return read_error(model.error(), text);
  auto upgraded = track::upgrade_pre_0_20(model.value(), song_name);
  if (!upgraded) return located_error(upgraded.error(), Error::Kind::NotUpgradable, text);
  if (!upgraded.value()) return std::optional<std::string>();
  auto written = track::multisong::write_document(model.value());
  if (auto reason = written.refusals.first_lost_text())
    return refusal_error(std::move(*reason), {});
  return std::optional<std::string>(std::move(written.text));
}

}  // namespace voromel
