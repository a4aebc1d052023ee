#include "track/multisong/snapshot.h"

#include "header_format/text.h"
#include "track/body_lines.h"
#include "track/name_log.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::multisong {

namespace {

LineResult<voromel::Ok> apply_snapshot_entry(Snapshot& snapshot, std::string_view line,
                                             std::size_t line_number) {
  const auto [name, rest] = header_format::split_at_first_white_space(line);
  if (!rest) return ParseError::line(line_number, "snapshot entry needs '<param> <value>'");
  const auto value = parse_float(header_format::trim(*rest), line_number, "snapshot value");
  if (!value) {
    return ParseError::line(line_number, "invalid snapshot value '" + std::string(*rest) + "'");
  }
  NameLog::use(NameKind::Parameter, name);
  snapshot.values.insert_or_assign(std::string(name), value.value());
  return voromel::Ok{};
}

}  // namespace

voromel::Result<Snapshot, header_format::ParseError> SnapshotSection::parse(
    std::span<const std::string_view> lines) {
  return parse_body<Snapshot>(lines, LineErrorWrap::Boxed, apply_snapshot_entry);
}

void SnapshotSection::serialize(const Snapshot& snapshot, std::string& out) {
  for (const auto& [name, value] : snapshot.values) {
    // A line that starts with '#' would read back as a heading; the reader
    // trims, so the indented name reads back the same.
    if (name.starts_with('#')) out += "  ";
    out += name;
    out += ' ';
    append_plain_number(out, value);
    out += '\n';
  }
}

}  // namespace voromel::track::multisong
