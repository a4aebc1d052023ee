#include "track/format/curves.h"

#include <gtest/gtest.h>

namespace voromel::track::format {
namespace {

using song::Curve;

TEST(Curves, KeywordsRoundTripAndEaseIsSilent) {
  struct Case {
    const char* keyword;
    Curve curve;
    const char* suffix;
  } cases[] = {
      {"linear", Curve::linear(), " linear"},
      {"ease-in", Curve::ease_in_only(), " ease-in"},
      {"ease-out", Curve::ease_out_only(), " ease-out"},
      {"ease", Curve::ease(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    EXPECT_EQ(parse_curve(c.keyword, 1).value(), c.curve);
    std::string suffix;
    append_curve_suffix(suffix, c.curve);
    EXPECT_EQ(suffix, c.suffix);
  }
}

TEST(Curves, UnknownKeyword) {
  EXPECT_EQ(parse_curve("Linear", 4).error().text(),
            "line 4: unknown curve 'Linear' (expected linear, ease-in, ease-out or ease)");
}

TEST(Curves, CurveTokenTakesOnlyKeywords) {
  header_format::Tokens tokens("ease-out volume 0.5");
  EXPECT_EQ(curve_token(tokens), Curve::ease_out_only());
  EXPECT_EQ(curve_token(tokens), std::nullopt);
  EXPECT_EQ(tokens.next(), "volume");
}

}  // namespace
}  // namespace voromel::track::format
