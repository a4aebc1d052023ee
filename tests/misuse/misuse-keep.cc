// error: no member named [^ ]*keep
// The model owns its text: there is nothing to keep alive beside it.
#include <voromel/voromel.h>

void add_line(voromel::Document& document) {
  document.model().leading_lines.push_back(std::string(document.keep("x")));
}
