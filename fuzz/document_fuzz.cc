// libFuzzer target: any text that parses, and any document the upgrade
// lifts, must be written in a form that reads back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/fixed_point.h"

namespace {

// Texts may hold NUL bytes: written whole.
[[noreturn]] void fail(const voromel::fuzz::Fault& fault) {
  std::fprintf(stderr, "%s\n--- written ---\n", fault.what.c_str());
  std::fwrite(fault.written.data(), 1, fault.written.size(), stderr);
  std::fprintf(stderr, "\n--- written again ---\n");
  std::fwrite(fault.again.data(), 1, fault.again.size(), stderr);
  std::fprintf(stderr, "\n--- end ---\n");
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto fault = voromel::fuzz::fixed_point_fault(text)) fail(*fault);
  return 0;
}
