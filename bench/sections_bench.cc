// Reading and writing each section kind on its own: a document of one
// section of many blocks, parsed, and the parsed document written back.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "track/multisong/section_kinds.h"

namespace {

using voromel::TrackDocument;

struct Kind {
  std::string_view title;
  // One block body; "{}" in it is replaced by the block's number.
  std::string_view body;
};

constexpr Kind kinds[] = {
    {"Songs",
     "@tempo 90 120\n@param energy 0.5\n@layer melody\n@layer drums\n@marker 0 intro\n"
     "@marker 16 chorus\n@jump-at chorus intro if energy >= 0.75\n"},
    {"Layers",
     "@volume 0.5 @pan -0.25 @effect echo 0.25 0.4 0.3\nlead 0 60.5 1\nlead 1 62 1.5 volume 0.8\n"
     "lead 2.5 64 0.5\nlead 3 65 1 glide 2 ease-out\nbass 4 36 2 repeat 4\nlead 6 67 0.25\n"
     "lead 6.25 69 0.25\nlead 6.5 71 1.5\n  volume 0 1, 0.5 0.2, 1 0 linear\nmotif riff 8 lead\n"},
    {"Sounds", "sine 1\nsine@2 0.5\n@attack 0.01\n@vibrato 5 0.3\n@volume 0.8\n"},
    {"Tunings", "1 1.125 1.25 1.333 1.5 1.667 1.875\n"},
    {"Waves", "0 0\n0.25 0.7\n0.5 1 linear\n0.75 -0.3\n1 0\n"},
    {"Subtitles", "0 First line\n8 Second line\n16 Third line\n"},
    {"Motifs", "0 60 0.5\n0.5 62 0.5 volume 0.8\n1 64 1 glide -2\n1.5 65 0.5\n2 67 1\n"},
    {"Snapshots", "energy 1\nintensity 0.25\nvolume 0.5\n"},
    {"Reverb", "room_size 0.8\ndecay 0.7\nmix 1\npredelay 0.01\n"},
};

// About 256 KB of canonical text: the section of `kind` with numbered blocks.
std::string section_text(const Kind& kind) {
  std::string text = "# " + std::string(kind.title) + "\n";
  for (std::size_t block = 0; text.size() < 256 * 1024; ++block) {
    text += "\n## b" + std::to_string(block) + "\n";
    text += kind.body;
  }
  return text;
}

void read_section(benchmark::State& state, const Kind& kind) {
  const std::string text = section_text(kind);
  for (auto _ : state) {
    auto document = parse_track_document(text);
    if (!document) state.SkipWithError("the sample does not parse");
    benchmark::DoNotOptimize(document);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void write_section(benchmark::State& state, const Kind& kind) {
  const std::string text = section_text(kind);
  const auto document = parse_track_document(text);
  if (!document) {
    state.SkipWithError("the sample does not parse");
    return;
  }
  for (auto _ : state) {
    std::string written = serialize_document(document.value());
    if (written != text) state.SkipWithError("the sample is not canonical");
    benchmark::DoNotOptimize(written);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

const bool registered = [] {
  for (const Kind& kind : kinds) {
    const std::string name(kind.title);
    benchmark::RegisterBenchmark(("read/" + name).c_str(), read_section, kind);
    benchmark::RegisterBenchmark(("write/" + name).c_str(), write_section, kind);
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
