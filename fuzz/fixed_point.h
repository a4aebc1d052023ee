#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "voromel/voromel.h"

// The property the fuzz target checks, shared with the test that replays its
// findings. On every text, valid UTF-8 or not, read or not:
// - the tool's block-by-block writing (`format`) and the whole model (`read`,
//   `check`, `write`) agree on whether the text reads, on the first error,
//   on the canonical text and on the refusal;
// - the upgrade of the text (`upgrade`) agrees with reading the whole model,
//   lifting it and writing it, and what it writes is final and refused by
//   the default mode only as the text given was;
// - a written text reads back to itself, in one rewrite, both ways.
namespace voromel::fuzz {

struct Fault {
  std::string what;
  // The outcome of the tool's own path (block by block, or the upgrade call)
  // and the outcome of the whole model, or a text and its rewrite.
  std::string one;
  std::string other;
};

inline std::string describe(const Error& error) {
  switch (error.kind()) {
    case Error::Kind::Unreadable:
      return "unreadable: " + error.message();
    case Error::Kind::Refused:
      return "refused: " + error.message();
    case Error::Kind::NotUpgradable:
      return "not upgradable: " + error.message();
  }
  return "unknown error kind: " + error.message();
}

inline std::string describe(const std::optional<Error>& error) {
  return error ? describe(*error) : "no error";
}

inline bool same(const std::optional<Error>& a, const std::optional<Error>& b) {
  if (!a || !b) return !a && !b;
  return a->kind() == b->kind() && a->message() == b->message();
}

// A whole document read and written, as `Document` does it: the first
// error, a refusal included, or the text written.
struct ModelOutcome {
  std::optional<Error> error;
  std::string text;
};

inline ModelOutcome whole_model(std::string_view text) {
  auto document = Document::read(text);
  if (!document) return {std::move(document).error(), ""};
  auto written = document.value().write();
  if (!written) return {written.error(), ""};
  return {std::nullopt, std::move(written).value()};
}

// A written text reads back to itself, in the whole model and block by
// block.
inline std::optional<Fault> rewrite_fault(const std::string& written) {
  auto reread = Document::read(written);
  if (!reread) return Fault{"the written text does not read", written, describe(reread.error())};
  auto again = reread.value().write();
  if (!again) return Fault{"the written text is not written", written, describe(again.error())};
  if (again.value() != written) {
    return Fault{"the written text is not a fixed point", written, again.value()};
  }
  auto formatted = format(written);
  if (!formatted) {
    return Fault{"block by block the written text does not read", written,
                 describe(formatted.error())};
  }
  if (formatted.value().changed || formatted.value().text != written) {
    return Fault{"block by block the written text is not canonical", written,
                 formatted.value().text};
  }
  return std::nullopt;
}

inline std::optional<Fault> format_fault(std::string_view text, const ModelOutcome& model) {
  const auto formatted = format(text);
  const std::optional<Error> error =
      formatted ? std::nullopt : std::optional<Error>(formatted.error());
  if (!same(error, model.error)) {
    return Fault{"block by block and the whole model differ on the first error", describe(error),
                 describe(model.error)};
  }
  if (!formatted) return std::nullopt;
  const Formatted& canonical = formatted.value();
  if (canonical.text != model.text) {
    return Fault{"block by block and the whole model write the text otherwise", canonical.text,
                 model.text};
  }
  if (canonical.changed != (canonical.text != text)) {
    return Fault{"block by block the text is said to change when it does not, or the other way",
                 canonical.text, std::string(text)};
  }
  return std::nullopt;
}

// The upgrade call against the whole model read, lifted and written; a lifted
// text is final, and the default mode refuses nothing in it that it did not
// refuse in the text given (the upgrade keeps text before a first block, as
// the old layout has it).
inline std::optional<Fault> upgrade_fault(std::string_view text, const ModelOutcome& model) {
  constexpr std::string_view name = "fuzz";
  const auto called = upgrade(text, name);
  std::optional<Error> model_error;
  std::optional<std::string> model_text;
  // A lifted document that keeps text before a first block, as the old
  // layout has it, is written by the upgrade but refused by `write`.
  std::optional<Error> lifted_refusal;
  auto document = Document::read(text);
  if (!document) {
    model_error = document.error();
  } else if (auto lifted = document.value().upgrade(name); !lifted) {
    model_error = lifted.error();
  } else if (lifted.value()) {
    auto written = lifted.value()->write();
    if (written) {
      model_text = std::move(written).value();
    } else if (written.error().refuses() && model.error && model.error->refuses()) {
      lifted_refusal = written.error();
    } else {
      model_error = written.error();
    }
  }
  const std::optional<Error> called_error =
      called ? std::nullopt : std::optional<Error>(called.error());
  if (!same(called_error, model_error)) {
    return Fault{"the upgrade and the whole model differ on the first error",
                 describe(called_error), describe(model_error)};
  }
  if (!called) return std::nullopt;
  const std::optional<std::string>& upgraded = called.value();
  if (lifted_refusal) {
    const auto formatted = upgraded ? format(*upgraded) : format(text);
    if (upgraded && !formatted && same(formatted.error(), lifted_refusal)) return std::nullopt;
    return Fault{"the upgrade writes what the whole model refuses", upgraded.value_or(""),
                 describe(lifted_refusal)};
  }
  if (upgraded != model_text) {
    return Fault{"the upgrade and the whole model lift the text otherwise",
                 upgraded.value_or("nothing to lift"), model_text.value_or("nothing to lift")};
  }
  if (!upgraded) return std::nullopt;
  auto formatted = format(*upgraded);
  if (!formatted && formatted.error().refuses()) {
    if (!same(formatted.error(), model.error)) {
      return Fault{"the default mode refuses what the upgrade writes", *upgraded,
                   describe(formatted.error())};
    }
    return std::nullopt;
  }
  return rewrite_fault(*upgraded);
}

inline std::optional<Fault> fixed_point_fault(std::string_view text) {
  const ModelOutcome model = whole_model(text);
  if (auto fault = format_fault(text, model)) return fault;
  if (!model.error) {
    if (auto fault = rewrite_fault(model.text)) return fault;
  }
  return upgrade_fault(text, model);
}

}  // namespace voromel::fuzz
