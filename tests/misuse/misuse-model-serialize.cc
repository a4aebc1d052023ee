// error: no member named [^ ]*serialize
// The model is data: only a Document writes it, after it checks it.
#include <string>

#include <voromel/voromel.h>

std::string written(const voromel::TrackDocument& model) {
  return model.serialize();
}
