#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "header_format/result.h"
#include "track/multisong/track_sections.h"

// Reading .track documents into their typed model, changing them and writing
// them back in canonical form. Errors are values: every call that can fail
// returns a `Result` holding either its value or an `Error`.
namespace voromel {

using header_format::Ok;
using header_format::Result;

// The typed model of a whole document: the lines before the first heading,
// the meta section, the nine known sections (`sections.songs.items[0].value`
// is a `song::Song`) and the unknown sections, kept as they were split.
using track::multisong::TrackDocument;

// Why a text could not be read, written or upgraded, with the message the
// tool prints after "Parsing a.track: " (and the like).
class Error {
 public:
  enum class Kind {
    // The text is not a valid document ("Parsing").
    Unreadable,
    // The text reads, but a rewrite would lose part of it, keep text that
    // nothing reads, or not give it back the same ("Refusing").
    Refused,
    // A document written before format 0.20 that cannot be lifted
    // ("Upgrading").
    NotUpgradable,
  };

  Error(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}

  Kind kind() const { return kind_; }
  bool refuses() const { return kind_ == Kind::Refused; }
  // "line 7: line 3: note needs duration"
  const std::string& message() const { return message_; }

 private:
  Kind kind_;
  std::string message_;
};

// A whole document read into its model. It owns the text it was read from:
// the model's lines (`leading_lines`, the sections' own `lines`, unknown
// sections) and the names of songs' markers and parameters are views into
// that text and stay valid as long as the document lives, wherever it is
// moved. Text added to those lines or names must live as long: pass it
// through `keep`.
class Document {
 public:
  // Reads a whole document. A text that is not valid UTF-8 is unreadable; a
  // text whose note pitch movement no text gives back is refused here.
  static Result<Document, Error> read(std::string text);

  TrackDocument& model() { return model_; }
  const TrackDocument& model() const { return model_; }

  // The document in canonical form.
  std::string write() const;

  // The refusals the tool's default mode applies before it rewrites a file:
  // text in a known section before its first block, a sub-block nothing
  // reads, more than one "# Meta" section. The first one found, if any.
  Result<Ok, Error> check() const;

  // Lifts a document written before format 0.20 (one song described by '@'
  // lines above the first heading) into the current layout, as the song
  // `song_name`; answers whether there was anything to lift. A lifted
  // document that would lose a sub-block or a "# Meta" section is refused.
  // After a failure the model may be half converted: drop the document.
  Result<bool, Error> upgrade(std::string_view song_name);

  // Keeps `text` alive as long as the document and answers a view of it, for
  // a line added to the model.
  std::string_view keep(std::string text);

 private:
  // Behind a pointer so that moving the document leaves its bytes in place.
  struct Storage {
    std::string text;
    std::deque<std::string> kept;
  };

  Document(std::unique_ptr<Storage> storage, TrackDocument model)
      : storage_(std::move(storage)), model_(std::move(model)) {}

  std::unique_ptr<Storage> storage_;
  TrackDocument model_;
};

// A text written in canonical form.
struct CanonicalText {
  // Whether the text given is canonical already; `text` is empty then.
  bool same_as_input = false;
  std::string text;
  // Why the tool's default mode would not replace the text given with this
  // one: the first of the refusals of `Document::check`.
  std::optional<Error> refusal;
};

// The canonical form of a whole text, as the tool's default mode writes it.
// The text is read, written and dropped block by block, so this takes far
// less memory than `Document::read` and `write`; it gives the same text and
// the same first error (a text that is not valid UTF-8 is unreadable).
Result<CanonicalText, Error> format(std::string_view text);

// The upgrade of a whole text, as the tool's `--upgrade` writes it: the
// canonical text of the lifted document, or nothing when there is nothing to
// lift.
Result<std::optional<std::string>, Error> upgrade(std::string text, std::string_view song_name);

}  // namespace voromel
