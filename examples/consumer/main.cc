// Sets the tempo of a song of a .track file and prints the document in
// canonical form:  set_tempo <file.track> <song> <tempo>
#include <voromel/voromel.h>

#include <charconv>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

namespace {

std::optional<std::string> read_file(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

std::optional<float> read_tempo(std::string_view text) {
  float tempo = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), tempo);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return tempo;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: set_tempo <file.track> <song> <tempo>\n";
    return 2;
  }
  const std::optional<float> tempo = read_tempo(argv[3]);
  if (!tempo) {
    std::cerr << "not a tempo: " << argv[3] << '\n';
    return 2;
  }
  std::optional<std::string> text = read_file(argv[1]);
  if (!text) {
    std::cerr << "cannot read " << argv[1] << '\n';
    return 1;
  }

  auto document = voromel::Document::read(std::move(*text));
  if (!document) {
    std::cerr << argv[1] << ": " << document.error().message() << '\n';
    return 1;
  }
  auto* song = document.value().model().sections.songs.find(argv[2]);
  if (!song) {
    std::cerr << argv[1] << ": no song '" << argv[2] << "'\n";
    return 1;
  }
  song->value.tempo = *tempo;
  // Refused if the file holds text a rewrite would drop, as the tool does.
  auto written = document.value().write();
  if (!written) {
    std::cerr << argv[1] << ": " << written.error().message() << '\n';
    return 1;
  }
  std::cout << written.value();
  return 0;
}
