// libFuzzer target: any text that parses, and any document the upgrade
// lifts, must be written in a form that reads back to the same text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/utf8.h"
#include "header_format/text.h"
#include "track/multisong/track_sections.h"
#include "track/upgrade.h"

namespace {

using voromel::track::multisong::TrackDocument;

// Texts may hold NUL bytes: written whole.
void show(const char* what, const std::string& written, const std::string& again) {
  std::fprintf(stderr, "%s\n--- written ---\n", what);
  std::fwrite(written.data(), 1, written.size(), stderr);
  std::fprintf(stderr, "\n--- written again ---\n");
  std::fwrite(again.data(), 1, again.size(), stderr);
  std::fprintf(stderr, "\n--- end ---\n");
}

[[noreturn]] void fail(const char* what, const std::string& written, const std::string& again) {
  show(what, written, again);
  std::abort();
}

bool is_indented(std::string_view line) {
  return !line.empty() && (line.front() == ' ' || line.front() == '\t');
}

// A note's pitch trajectory is normalised when it is read, and the
// normalisation can take more than one rewrite to settle. What may change
// from one rewrite to the next is the text a trajectory writes: its "pitch"
// curve line, the note line it belongs to (with the indented lines between
// them), and note lines with a "glide" option. Everything else must stay.
std::string without_pitch_movement(std::string_view text) {
  std::vector<std::string_view> kept;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    voromel::header_format::Tokens tokens(line);
    if (tokens.peek() == "pitch") {
      while (!kept.empty() && is_indented(kept.back())) kept.pop_back();
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    bool glide = false;
    while (auto token = tokens.next()) glide = glide || *token == "glide";
    if (!glide) kept.push_back(line);
  }
  std::string out;
  for (const std::string_view line : kept) {
    out += line;
    out += '\n';
  }
  return out;
}

void show_settling(const std::string& written, const std::string& again) {
  static std::set<std::string> shown;
  if (shown.size() == 20 || !shown.insert(written).second) return;
  show("pitch movement settles in more than one rewrite", written, again);
}

// A rewrite that does not settle a curve drops at least one of its points
// (a trajectory of not-a-number durations loses one point per rewrite), so
// there can be no more unsettled rewrites than points.
std::size_t rewrites_allowed(const std::string& written) {
  return 2 + static_cast<std::size_t>(std::count(written.begin(), written.end(), ','));
}

void require_fixed_point(const std::string& written) {
  std::string current = written;
  for (std::size_t rewrite = 0; rewrite < rewrites_allowed(written); ++rewrite) {
    auto reread = TrackDocument::parse_with(current);
    if (!reread) fail("the written text does not parse", current, reread.error().text());
    std::string again = reread.value().serialize();
    if (again == current) return;
    if (without_pitch_movement(again) != without_pitch_movement(current)) {
      fail("the written text is not a fixed point", current, again);
    }
    if (rewrite == 0) show_settling(current, again);
    current = std::move(again);
  }
  fail("pitch movement does not settle", written, current);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The tool refuses anything else before parsing.
  if (!voromel::cli::is_valid_utf8(text)) return -1;
  auto document = TrackDocument::parse_with(text);
  if (!document) return 0;
  require_fixed_point(document.value().serialize());
  auto upgraded = voromel::track::upgrade_pre_0_20(document.value(), "fuzz");
  if (upgraded && upgraded.value()) require_fixed_point(document.value().serialize());
  return 0;
}
