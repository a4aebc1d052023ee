// libFuzzer target: any text that parses, and any document the upgrade
// lifts, must be written in a form that reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/utf8.h"
#include "track/multisong/track_sections.h"
#include "track/upgrade.h"

namespace {

using voromel::track::multisong::TrackDocument;

[[noreturn]] void fail(const char* what, const std::string& written, const std::string& again) {
  std::fprintf(stderr, "%s\n--- written ---\n%s\n--- written again ---\n%s\n", what,
               written.c_str(), again.c_str());
  std::abort();
}

void require_fixed_point(const std::string& written) {
  auto reread = TrackDocument::parse_with(written);
  if (!reread) fail("the written text does not parse", written, reread.error().text());
  const std::string again = reread.value().serialize();
  if (again != written) fail("the written text is not a fixed point", written, again);
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
