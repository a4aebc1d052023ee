// error: no member named [^ ]*name
// A layer's name is its block's: `items[i].name`.
#include <voromel/voromel.h>

void rename(voromel::TrackDocument& model) {
  model.sections.layers.items.at(0).value.name = "x";
}
