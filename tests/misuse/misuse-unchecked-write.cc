// error: (conversion from|no viable conversion from).*Result
// A write may be refused: its text is not there to take unchecked.
#include <string>

#include <voromel/voromel.h>

std::string written(const voromel::Document& document) {
  std::string text = document.write();
  return text;
}
