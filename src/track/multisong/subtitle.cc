#include "track/multisong/subtitle.h"

#include <algorithm>

#include "header_format/text.h"
#include "song/total_order.h"
#include "track/body_lines.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::multisong {

namespace {

void sort_by_beat(std::vector<song::Subtitle>& subtitles) {
  std::stable_sort(subtitles.begin(), subtitles.end(),
                   [](const song::Subtitle& a, const song::Subtitle& b) {
                     return song::total_order_key(a.beat) < song::total_order_key(b.beat);
                   });
}

LineResult<voromel::Ok> append_subtitle(SubtitleTrack& track, std::string_view line,
                                        std::size_t line_number) {
  auto subtitle = parse_subtitle_line(line, line_number);
  if (!subtitle) return std::move(subtitle).error();
  track.subtitles.push_back(std::move(subtitle).value());
  return voromel::Ok{};
}

}  // namespace

LineResult<song::Subtitle> parse_subtitle_line(std::string_view line, std::size_t line_number) {
  const auto [beat_text, rest] = header_format::split_at_first_white_space(line);
  auto beat = parse_float(beat_text, line_number, "subtitle beat");
  if (!beat) return std::move(beat).error();
  return song::Subtitle{std::string(header_format::trim(rest.value_or(""))), beat.value()};
}

void write_subtitle_line(std::string& out, const song::Subtitle& subtitle) {
  append_number(out, subtitle.beat);
  if (subtitle.text.empty()) return;
  out += ' ';
  out += subtitle.text;
}

voromel::Result<SubtitleTrack, header_format::ParseError> SubtitleSection::parse(
    std::span<const std::string_view> lines) {
  auto track = parse_body<SubtitleTrack>(lines, LineErrorWrap::Boxed, append_subtitle);
  if (track) sort_by_beat(track.value().subtitles);
  return track;
}

void SubtitleSection::serialize(const SubtitleTrack& track, std::string& out) {
  for (const song::Subtitle& subtitle : track.subtitles) {
    write_subtitle_line(out, subtitle);
    out += '\n';
  }
}

}  // namespace voromel::track::multisong
