#include "track/format/curves.h"

namespace voromel::track::format {

using song::Curve;

std::optional<Curve> curve_from_keyword(std::string_view token) {
  if (token == "linear") return Curve::linear();
  if (token == "ease-in") return Curve::ease_in_only();
  if (token == "ease-out") return Curve::ease_out_only();
  if (token == "ease") return Curve::ease();
  return std::nullopt;
}

LineResult<Curve> parse_curve(std::string_view token, std::size_t line_number) {
  if (const auto curve = curve_from_keyword(token)) return *curve;
  return ParseError::line(line_number, "unknown curve '" + std::string(token) +
                                           "' (expected linear, ease-in, ease-out or ease)");
}

std::optional<Curve> curve_token(header_format::Tokens& tokens) {
  const auto next = tokens.peek();
  if (!next) return std::nullopt;
  const auto curve = curve_from_keyword(*next);
  if (curve) tokens.next();
  return curve;
}

std::string_view curve_keyword(Curve curve) {
  if (curve.ease_in && curve.ease_out) return "ease";
  if (curve.ease_in) return "ease-in";
  if (curve.ease_out) return "ease-out";
  return "linear";
}

void append_curve_suffix(std::string& out, Curve curve) {
  if (curve == Curve::ease()) return;
  out += ' ';
  out += curve_keyword(curve);
}

}  // namespace voromel::track::format
