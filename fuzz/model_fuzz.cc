// libFuzzer target: a model built from the fuzzer's bytes, with every field
// set, is refused by a write or written as a text that reads back to it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const auto fault = voromel::fuzz::model_fault(bytes)) {
    std::fprintf(stderr, "%s\n--- one ---\n%s\n--- other ---\n%s\n--- end ---\n",
                 fault->what.c_str(), fault->one.c_str(), fault->other.c_str());
    std::abort();
  }
  return 0;
}
