#include "track/multisong/motif.h"

#include "header_format/text.h"
#include "track/body_lines.h"
#include "track/format/note_curves.h"
#include "track/format/notes.h"
#include "track/multisong/indented_lines.h"

namespace voromel::track::multisong {

using header_format::ParseError;

std::string MotifBodyError::text() const {
  switch (kind_) {
    case Kind::NonCurveIndent:
      return "indented motif line must be a 'pitch'/'volume' curve";
    case Kind::CurveWithoutNote:
      return "indented curve without a preceding motif note";
  }
  return {};
}

std::string_view MotifBodyError::debug_name() const {
  switch (kind_) {
    case Kind::NonCurveIndent:
      return "NonCurveIndent";
    case Kind::CurveWithoutNote:
      return "CurveWithoutNote";
  }
  return {};
}

LineResult<song::Note> parse_motif_note(std::string_view line, std::size_t line_number) {
  header_format::Tokens tokens(line);
  return format::parse_note_fields(tokens, line_number, "motif note");
}

namespace {

// One indented line: a curve for the last note.
voromel::Result<voromel::Ok, ParseError> apply_indented(std::vector<song::Note>& notes,
                                                        std::string_view trimmed,
                                                        std::size_t line_number) {
  using Kind = MotifBodyError::Kind;
  if (!is_curve_line(trimmed))
    return ParseError::at_line(line_number, MotifBodyError(Kind::NonCurveIndent));
  if (notes.empty())
    return ParseError::at_line(line_number, MotifBodyError(Kind::CurveWithoutNote));
  auto applied = format::apply_note_curve(notes.back(), trimmed, line_number);
  if (!applied) return ParseError::at_line(line_number, applied.error());
  return format::check_pitch_settles(notes.back(), line_number);
}

}  // namespace

voromel::Result<Motif, ParseError> MotifSection::parse(std::span<const std::string_view> lines) {
  Motif motif;
  auto read = for_each_body_line(
      lines, [&](const BodyLine& line) -> voromel::Result<voromel::Ok, ParseError> {
        if (line.indented()) return apply_indented(motif.notes, line.text, line.line_number);
        auto note = parse_motif_note(line.text, line.line_number);
        if (!note) return ParseError::at_line(line.line_number, note.error());
        auto settles = format::check_pitch_settles(note.value(), line.line_number);
        if (settles) motif.notes.push_back(std::move(note).value());
        return settles;
      });
  if (!read) return std::move(read).error();
  return motif;
}

void MotifSection::serialize(const Motif& motif, std::string& out) {
  for (const song::Note& note : motif.notes) {
    format::append_note_body(out, note);
    out += '\n';
  }
}

}  // namespace voromel::track::multisong
