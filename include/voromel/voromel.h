#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <voromel/model.h>
#include <voromel/result.h>
#include <voromel/version.h>

// Reading .track documents into their typed model, changing them and writing
// them back in canonical form. Errors are values: every call that can fail
// returns a `Result` holding either its value or an `Error`. Reading the
// value of a `Result` that holds an error (or the error of one that holds a
// value) is a precondition violation, which stops the program with a message
// in every build type: check `has_value()` first.
namespace voromel {

// The block an error was found in: its section's title and its name.
struct BlockName {
  std::string section;
  std::string name;

  friend bool operator==(const BlockName&, const BlockName&) = default;
};

// Bytes [begin, end) of a text.
struct TextSpan {
  std::size_t begin = 0;
  std::size_t end = 0;

  friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// Why a text could not be read, written or upgraded, with the message the
// tool prints after "Parsing a.track: " (and the like).
class Error {
 public:
  enum class Kind {
    // The text is not a valid document ("Parsing").
    Unreadable,
    // The text reads, but a rewrite would lose part of it, keep text that
    // nothing reads, or not give it back the same; or a model would not be
    // written so that it reads back the same ("Refusing").
    Refused,
    // A document written before format 0.20 that cannot be lifted
    // ("Upgrading").
    NotUpgradable,
  };

  Error(Kind kind, std::string message, std::optional<std::size_t> line = std::nullopt,
        std::optional<BlockName> block = std::nullopt, std::optional<TextSpan> span = std::nullopt)
      : kind_(kind),
        message_(std::move(message)),
        line_(line),
        block_(std::move(block)),
        span_(span) {}

  Kind kind() const { return kind_; }
  bool refuses() const { return kind_ == Kind::Refused; }
  // "line 7: line 3: note needs duration"
  const std::string& message() const { return message_; }
  // The 1-based line of the text where the error is, when one is known. For
  // the blocks whose messages count lines from the start of the block's body
  // (songs, snapshots, subtitles, reverb) this is still the line of the
  // whole text.
  std::optional<std::size_t> line() const { return line_; }
  // The block the error is in, when it is in one. Text before a section's
  // first block is in no block: its block name is empty.
  const std::optional<BlockName>& block() const { return block_; }
  // The bytes of the text given that the error is about (the offending
  // token, line or heading), when they are known. An error of a model's
  // write has none.
  const std::optional<TextSpan>& span() const { return span_; }

 private:
  Kind kind_;
  std::string message_;
  std::optional<std::size_t> line_;
  std::optional<BlockName> block_;
  std::optional<TextSpan> span_;
};

// A whole document read into its model, which it owns.
class Document {
 public:
  // Reads a whole document. A text that is not valid UTF-8 is unreadable; a
  // text whose note pitch movement no text gives back is refused here. The
  // model holds the values as the canonical text gives them back (a value
  // that the text gives but the canonical text leaves out, such as a loop
  // skip without a loop, reads as left out), so that `write` gives back a
  // document read and left unchanged.
  static Result<Document, Error> read(std::string_view text);
  // A document of a model built or changed by the caller.
  static Document from_model(TrackDocument model) { return Document(std::move(model)); }

  TrackDocument& model() { return model_; }
  const TrackDocument& model() const { return model_; }

  // The document in canonical form: a text that reads back to a model equal
  // to this one (the text is read back and compared to make sure). Refused
  // otherwise, with a message that names the first field that differs by
  // its path and says why: "jump 1 of '## main' in '# Songs': condition
  // parameter 'random' would read back as the built-in source". Also
  // refused: text that nothing reads (what `check` finds), and notes,
  // markers, parameters or subtitles out of the order the text writes them
  // in ("notes of '## bass' in '# Layers' must be in start order").
  Result<std::string, Error> write() const;

  // The refusals the tool's default mode applies before it rewrites a file:
  // text in a known section before its first block, a sub-block nothing
  // reads, more than one "# Meta" section. The first one found, if any.
  Result<Ok, Error> check() const;

  // Lifts a document written before format 0.20 (one song described by '@'
  // lines above the first heading) into the current layout, as the song
  // `song_name`: the lifted document, or nothing when there is nothing to
  // lift. A lifted document that would lose a sub-block or a "# Meta"
  // section is refused. This document is left as it is.
  Result<std::optional<Document>, Error> upgrade(std::string_view song_name) const;

 private:
  explicit Document(TrackDocument model) : model_(std::move(model)) {}

  TrackDocument model_;
};

// A text written in canonical form.
struct Formatted {
  // The canonical text, also when it is the text given.
  std::string text;
  // Whether `text` differs from the text given.
  bool changed = false;
};

// The canonical form of a whole text, as the tool's default mode writes it,
// or the tool's refusal of it. The text is read, written and dropped block
// by block, so this takes far less memory than `Document::read` and `write`;
// it gives the same text and the same first error (a text that is not valid
// UTF-8 is unreadable).
Result<Formatted, Error> format(std::string_view text);

// The upgrade of a whole text, as the tool's `--upgrade` writes it: the
// canonical text of the lifted document, or nothing when there is nothing to
// lift.
Result<std::optional<std::string>, Error> upgrade(std::string_view text,
                                                  std::string_view song_name);

}  // namespace voromel
