// Reads a .track file, sets the tempo of its song "main" to 90 and prints
// the document in canonical form:  readme_example <file.track>
#include <voromel/voromel.h>

#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: readme_example <file.track>\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) {
    std::cerr << "cannot read " << argv[1] << '\n';
    return 1;
  }

  auto document = voromel::Document::read(text.str());
  if (!document) {  // "line 7: line 3: note needs duration", at line 7
    std::cerr << document.error().message() << '\n';
    return 1;
  }
  if (auto* song = document.value().model().sections.songs.find("main")) {
    song->value.tempo = 90;
  }
  // Refused, rather than written wrong, if the text would lose part of the
  // document or not read back the same.
  auto written = document.value().write();
  if (!written) {
    std::cerr << written.error().message() << '\n';
    return 1;
  }
  std::cout << written.value();
  return 0;
}
