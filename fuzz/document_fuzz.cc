// libFuzzer target: on any text, the tool's block-by-block writing and the
// whole model agree, so do the upgrade call and the whole model, and what
// either writes reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/fixed_point.h"

namespace {

// Texts may hold NUL bytes: written whole.
[[noreturn]] void fail(const voromel::fuzz::Fault& fault) {
  std::fprintf(stderr, "%s\n--- one ---\n", fault.what.c_str());
  std::fwrite(fault.one.data(), 1, fault.one.size(), stderr);
  std::fprintf(stderr, "\n--- other ---\n");
  std::fwrite(fault.other.data(), 1, fault.other.size(), stderr);
  std::fprintf(stderr, "\n--- end ---\n");
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto fault = voromel::fuzz::fixed_point_fault(text)) fail(*fault);
  return 0;
}
