#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "track/parse_error.h"
#include "voromel/song/layer.h"

// Layer blocks: '@' directive lines, clip lines (notes and placements), and
// indented curve, override and trim lines attached to the clip above.
namespace voromel::track::multisong {

// What writing a document block by block carries from block to block.
struct WriteMemo;

// The failures of a layer body that are not about one line's grammar.
class LayerBodyError {
 public:
  enum class Kind { CurveWithoutNote, OverrideWithoutPlacement };

  explicit LayerBodyError(Kind kind) : kind_(kind) {}

  Kind kind() const { return kind_; }
  std::string text() const;
  // The bare variant name.
  std::string_view debug_name() const;

  friend bool operator==(const LayerBodyError&, const LayerBodyError&) = default;

 private:
  Kind kind_;
};

enum class ClipKind { Motif, Note, Subtrack };

// Reads a trimmed clip line and appends it to the layer's notes or
// placements; the layer is unchanged on error.
LineResult<ClipKind> add_clip_line(song::Layer& layer, std::string_view line,
                                   std::size_t line_number);

// One directive: its name without '@' and its trimmed value.
LineResult<voromel::Ok> apply_layer_directive(song::Layer& layer, std::string_view name,
                                              std::string_view value, std::size_t line_number);

// Every setting that differs from its default and every effect, as one line
// of directives without line end; nothing for a layer at its defaults.
void append_layer_directives(std::string& out, const song::Layer& layer);

struct LayerSection {
  using Value = song::Layer;
  static constexpr std::string_view title = "Layers";

  static voromel::Result<song::Layer, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  static void serialize(const song::Layer& layer, std::string& out);
  // Reads a body and writes it in canonical form without holding its notes:
  // what `parse` and then `serialize` do, in the memory of the notes' text.
  static constexpr bool writes_as_read = true;
  static voromel::Result<voromel::Ok, header_format::ParseError> write(
      std::span<const std::string_view> lines, std::string& out, WriteMemo& memo);
};

}  // namespace voromel::track::multisong
