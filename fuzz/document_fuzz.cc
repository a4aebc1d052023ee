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

// A note's pitch trajectory is normalised when it is read, and the
// normalisation can take more than one rewrite to settle. Only blocks with
// pitch movement (a "pitch" curve line, a "glide" option) may change from
// one rewrite to the next; the first twenty that do are shown.
bool has_pitch_movement(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    voromel::header_format::Tokens tokens(text.substr(0, end));
    if (tokens.peek() == "pitch") return true;
    while (auto token = tokens.next()) {
      if (*token == "glide") return true;
    }
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return false;
}

// The text cut before every line that starts with '#'.
std::vector<std::string_view> blocks_of(std::string_view text) {
  std::vector<std::string_view> blocks;
  std::size_t start = 0;
  for (std::size_t at = text.find("\n#"); at != std::string_view::npos;
       at = text.find("\n#", at + 1)) {
    blocks.push_back(text.substr(start, at + 1 - start));
    start = at + 1;
  }
  blocks.push_back(text.substr(start));
  return blocks;
}

bool only_pitch_movement_changed(std::string_view before, std::string_view after) {
  const std::vector<std::string_view> old_blocks = blocks_of(before);
  const std::vector<std::string_view> new_blocks = blocks_of(after);
  if (old_blocks.size() != new_blocks.size()) return false;
  for (std::size_t i = 0; i < old_blocks.size(); ++i) {
    if (old_blocks[i] != new_blocks[i] && !has_pitch_movement(old_blocks[i]) &&
        !has_pitch_movement(new_blocks[i])) {
      return false;
    }
  }
  return true;
}

void show_settling(const std::string& written, const std::string& again) {
  static std::set<std::string> shown;
  if (shown.size() == 20 || !shown.insert(written).second) return;
  show("pitch movement settles in more than one rewrite", written, again);
}

// Points out of order or beyond the note's end can drift by an ulp or so on
// every rewrite without ever settling; the tool refuses to write those. The
// rewrites are followed this far to check that every other block stays put.
constexpr std::size_t rewrites_followed = 8;

void require_fixed_point(const std::string& written) {
  std::string current = written;
  for (std::size_t rewrite = 0; rewrite < rewrites_followed; ++rewrite) {
    auto reread = TrackDocument::parse_with(current);
    if (!reread) fail("the written text does not parse", current, reread.error().text());
    std::string again = reread.value().serialize();
    if (again == current) return;
    if (!only_pitch_movement_changed(current, again)) {
      fail("the written text is not a fixed point", current, again);
    }
    if (rewrite == 0) show_settling(current, again);
    current = std::move(again);
  }
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
