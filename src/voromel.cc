#include "voromel/voromel.h"

#include <utility>

#include "header_format/parse_error.h"
#include "header_format/text.h"
#include "track/multisong/canonical_form.h"
#include "track/upgrade.h"

namespace voromel {

namespace {

Error read_error(const header_format::ParseError& error) {
  return Error(error.refuses() ? Error::Kind::Refused : Error::Kind::Unreadable, error.text());
}

// The tool refuses such a text when it reads the file, and the grammars
// expect none.
Result<Ok, Error> check_utf8(std::string_view text) {
  if (header_format::is_valid_utf8(text)) return Ok{};
  return Error(Error::Kind::Unreadable, "stream did not contain valid UTF-8");
}

Error refusal(std::string message) {
  return Error(Error::Kind::Refused, std::move(message));
}

}  // namespace

Result<Document, Error> Document::read(std::string text) {
  if (auto checked = check_utf8(text); !checked) return std::move(checked).error();
  auto storage = std::make_unique<Storage>();
  storage->text = std::move(text);
  auto model = TrackDocument::parse_with(std::string_view(storage->text));
  if (!model) return read_error(model.error());
  return Document(std::move(storage), std::move(model).value());
}

std::string Document::write() const {
  return model_.serialize();
}

Result<Ok, Error> Document::check() const {
  if (auto reason = track::multisong::write_document(model_).refusals.first()) {
    return refusal(std::move(*reason));
  }
  return Ok{};
}

Result<bool, Error> Document::upgrade(std::string_view song_name) {
  auto upgraded = track::upgrade_pre_0_20(model_, song_name);
  if (!upgraded) return Error(Error::Kind::NotUpgradable, upgraded.error().text());
  if (!upgraded.value()) return false;
  if (auto reason = track::multisong::write_document(model_).refusals.first_lost_text()) {
    return refusal(std::move(*reason));
  }
  return true;
}

std::string_view Document::keep(std::string text) {
  return storage_->kept.emplace_back(std::move(text));
}

Result<CanonicalText, Error> format(std::string_view text) {
  if (auto checked = check_utf8(text); !checked) return std::move(checked).error();
  auto form = track::multisong::canonical_form(text);
  if (!form) return read_error(form.error());
  CanonicalText written{form.value().same_as_input, std::move(form.value().text), std::nullopt};
  if (auto& reason = form.value().refusal) written.refusal = refusal(std::move(*reason));
  return written;
}

Result<std::optional<std::string>, Error> upgrade(std::string text, std::string_view song_name) {
  auto document = Document::read(std::move(text));
  if (!document) return std::move(document).error();
  auto upgraded = document.value().upgrade(song_name);
  if (!upgraded) return std::move(upgraded).error();
  if (!upgraded.value()) return std::optional<std::string>();
  return std::optional<std::string>(document.value().write());
}

}  // namespace voromel
