#include "track/format/note_curves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "../random_texts.h"
#include "header_format/text.h"
#include "track/format/notes.h"

namespace voromel::track::format {
namespace {

using song::Curve;
using song::NoteSegment;
using song::WavePoint;

bool is_motif_note(std::string_view note_line) {
  return std::isdigit(static_cast<unsigned char>(note_line.front()));
}

// A note line followed by curve lines: a layer note, or a motif note when the
// line starts with its start time.
LineResult<song::Note> read_note(std::string_view note_line,
                                 const std::vector<std::string_view>& curve_lines) {
  header_format::Tokens tokens(note_line);
  song::Note note;
  const auto read = is_motif_note(note_line) ? read_note_fields(tokens, 1, "motif note", note)
                                             : read_note_line(*tokens.next(), tokens, 1, note);
  if (!read) return read.error();
  std::size_t line_number = 1;
  for (const std::string_view curve_line : curve_lines) {
    const auto applied = apply_note_curve(note, curve_line, ++line_number);
    if (!applied) return applied.error();
  }
  return note;
}

// The note read and written back.
std::string rewrite(std::string_view note_line, std::vector<std::string_view> curve_lines) {
  const auto note = read_note(note_line, curve_lines);
  if (!note) return "error " + note.error().text();
  if (!is_motif_note(note_line)) return format_note(note.value());
  std::string out;
  append_note_body(out, note.value());
  return out;
}

// A written note read and written again.
std::string rewrite_written(std::string_view written) {
  const auto cut = written.find("\n  ");
  if (cut == std::string_view::npos) return rewrite(written, {});
  return rewrite(written.substr(0, cut), {written.substr(cut + 3)});
}

TEST(NoteCurveLine, IsNormalisedOnWriting) {
  struct Case {
    const char* note;
    std::vector<std::string_view> curves;
    const char* written;
  } cases[] = {
      {"lead 0 60 2",
       {"pitch 0 0, 0.5 2 ease-in, 1 0"},
       "lead 0 60 2\n  pitch 0 0, 0.5 2 ease-in, 1 0 linear"},
      {"lead 0 60 2", {"pitch 0.5 1, 1 1"}, "lead 0 60 2\n  pitch 0 1, 0.5 1, 1 1 linear"},
      {"lead 0 60 1", {"pitch 0 0, 1 2"}, "lead 0 60 1 glide 2"},
      {"lead 0 60 1", {"pitch 0 0 linear, 1 2"}, "lead 0 60 1 glide 2 linear"},
      {"lead 0 60 1", {"pitch 0 0, 1 0"}, "lead 0 60 1"},
      {"lead 0 60 1", {"pitch 0 0, 2 5"}, "lead 0 60 2 glide 5"},
      {"lead 0 60 1", {"pitch 0 3"}, "lead 0 60 1\n  pitch 0 3, 1 3 linear"},
      {"lead 0 60 1", {"pitch 0 0 ,1 2"}, "lead 0 60 1 glide 2"},
      {"lead 0 60 1", {"volume 0 1, 0.5 0.2, 1 1 ease"}, "lead 0 60 1\n  volume 0 1, 0.5 0.2, 1 1"},
      {"lead 0 60 1", {"volume 0 1, 1 0.5"}, "lead 0 60 1 vol-ramp 0.5"},
      {"lead 0 60 1", {"volume 0 1 ease-out, 1 0 ease-in"}, "lead 0 60 1 vol-ramp 0 ease-out"},
      {"lead 0 60 1", {"volume 0 1, 1 1"}, "lead 0 60 1"},
      {"lead 0 60 1", {"volume 0.5 1"}, "lead 0 60 1\n  volume 0.5 1"},
      // A later curve line replaces the earlier one and what an option set.
      {"lead 0 60 1 glide 2 vol-ramp 0",
       {"pitch 0 0, 1 3", "volume 0 1, 0.5 2, 1 1"},
       "lead 0 60 1 glide 3\n  volume 0 1, 0.5 2, 1 1"},
      {"lead 0 60 1", {"pitch 0 1, 1 2", "pitch 0 0, 1 0"}, "lead 0 60 1"},
      {"lead 0 60 2 repeat 3",
       {"pitch 0 0, 0.5 2, 1 0"},
       "lead 0 60 2 repeat 3\n  pitch 0 0, 0.5 2, 1 0 linear"},
      {"lead 0 60 3",
       {"pitch 0 0, 0.33333334 1, 0.6666667 0, 1 1"},
       "lead 0 60 3\n  pitch 0 0, 0.33333334 1, 0.6666667 0, 1 1 linear"},
      // No duration within four floats of 13.6875 gives back both segments
      // (7.984375 and 5.703125); one five floats below it does.
      {"lead 0 60 9.125",
       {"pitch 0 7.5, 0.875 0, 1.5 -3.75"},
       "lead 0 60 13.687495\n  pitch 0 7.5, 0.58333355 0, 1.0000004 -3.75 linear"},
      {"lead 0 60 1",
       {"pitch 0 0, 0.5 2", "volume 0.25 0.5 linear, 1 2"},
       "lead 0 60 1\n  pitch 0 0, 0.5 2, 1 2 linear\n  volume 0.25 0.5 linear, 1 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.note);
    SCOPED_TRACE(c.curves.front());
    EXPECT_EQ(rewrite(c.note, c.curves), c.written);
  }
}

TEST(NoteCurveLine, Errors) {
  struct Case {
    const char* line;
    const char* error;
  } cases[] = {
      {"pitch", "error line 2: note curve needs points"},
      {"pitch 0 0,", "error line 2: envelope point needs '<x> <y> [curve]'"},
      {"pitch 0 0 1 2", "error line 2: envelope point needs '<x> <y> [curve]'"},
      {"pitch 0 x", "error line 2: invalid number for envelope y: 'x'"},
      {"volume 0 1 fast",
       "error line 2: unknown curve 'fast' (expected linear, ease-in, "
       "ease-out or ease)"},
      {"tempo 0 0", "error line 2: unknown note curve 'tempo'"},
      // The points are read before the keyword is looked at.
      {"tempo 0 x", "error line 2: invalid number for envelope y: 'x'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(rewrite("lead 0 60 1", {c.line}), c.error);
  }
}

TEST(NoteCurveLine, FailureLeavesTheNoteUnchanged) {
  header_format::Tokens tokens("0 60 1 glide 2 vol-ramp 0");
  auto note = parse_note_fields(tokens, 1, "note");
  ASSERT_TRUE(note.has_value());
  const song::Note before = note.value();
  EXPECT_FALSE(apply_note_curve(note.value(), "pitch 0 0, 1", 2).has_value());
  EXPECT_FALSE(apply_note_curve(note.value(), "volume 0 0, 1 x", 3).has_value());
  EXPECT_EQ(note.value(), before);
}

TEST(Trajectory, FromCurve) {
  struct Case {
    const char* name;
    float total;
    std::vector<WavePoint> points;
    std::vector<NoteSegment> segments;
    NoteSegment last;
  } cases[] = {
      {"no points", 2, {}, {}, {0, 2, Curve::ease()}},
      {"glide",
       4,
       {{0, 0, Curve::ease_in_only()}, {1, 3, Curve::linear()}},
       {},
       {3, 4, Curve::ease_in_only()}},
      {"jump and hold",
       2,
       {{0.5f, 1, Curve::ease_out_only()}, {1, 1, Curve::linear()}},
       {{1, 0, Curve::linear()}, {0, 1, Curve::ease()}},
       {0, 1, Curve::ease_out_only()}},
      {"held to the end",
       2,
       {{0, 0, Curve::ease()}, {0.5f, 2, Curve::linear()}},
       {{2, 1, Curve::ease()}},
       {0, 1, Curve::ease()}},
      {"single point",
       3,
       {{0, 3, Curve::ease()}},
       {{3, 0, Curve::linear()}},
       {0, 3, Curve::ease()}},
      {"growing past the end",
       1,
       {{0, 0, Curve::ease()}, {2, 5, Curve::ease()}},
       {},
       {5, 2, Curve::ease()}},
      {"going back, then held",
       2,
       {{0, 0, Curve::ease()}, {1, 1, Curve::ease_in_only()}, {0.5f, 2, Curve::linear()}},
       {{1, 2, Curve::ease()}, {1, -1, Curve::ease_in_only()}},
       {0, 1, Curve::ease()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Trajectory trajectory = trajectory_from_curve(c.total, c.points);
    EXPECT_EQ(trajectory.segments, c.segments);
    EXPECT_EQ(trajectory.last_segment, c.last);
  }
}

TEST(Trajectory, ToCurve) {
  struct Case {
    const char* name;
    std::vector<NoteSegment> segments;
    NoteSegment last;
    std::vector<WavePoint> points;
  } cases[] = {
      {"still", {}, {0, 2, Curve::ease()}, {}},
      {"still at negative zero", {}, {-0.0f, 2, Curve::ease()}, {}},
      {"glide",
       {},
       {3, 4, Curve::ease_in_only()},
       {{0, 0, Curve::ease_in_only()}, {1, 3, Curve::linear()}}},
      {"jump drops the first point",
       {{1, 0, Curve::linear()}},
       {0, 2, Curve::ease()},
       {{0, 1, Curve::ease()}, {1, 1, Curve::linear()}}},
      {"zero duration",
       {{2, 1, Curve::ease()}},
       {0, -1, Curve::ease()},
       {{0, 2, Curve::ease()}, {0, 2, Curve::linear()}}},
      {"thirds",
       {{1, 1, Curve::ease()}, {-1, 1, Curve::ease()}},
       {1, 1, Curve::ease()},
       {{0, 0, Curve::ease()},
        {1.0f / 3.0f, 1, Curve::ease()},
        {2.0f / 3.0f, 0, Curve::ease()},
        {1, 1, Curve::linear()}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    song::Note note;
    note.segments = c.segments;
    note.last_segment = c.last;
    EXPECT_EQ(pitch_curve(note), c.points);
  }
}

TEST(Trajectory, SumsStartFromNegativeZero) {
  EXPECT_TRUE(std::signbit(duration_sum({})));
  song::Note note;
  note.last_segment = {0, -0.0f, Curve::ease()};
  EXPECT_TRUE(std::signbit(total_duration(note)));
  // Re-applying a curve keeps the note's negative-zero length.
  set_pitch_curve(note, {});
  EXPECT_TRUE(std::signbit(note.last_segment.duration));
}

// How many random curves the tests below try; VOROMEL_CURVES asks for more.
std::size_t curve_count(std::size_t usual) {
  const char* asked = std::getenv("VOROMEL_CURVES");
  return asked ? std::strtoul(asked, nullptr, 10) : usual;
}

// A whole part below `whole_below` and from `least` to `most` decimals.
std::string decimal(std::mt19937& engine, unsigned whole_below, unsigned least, unsigned most) {
  std::string text = std::to_string(engine() % whole_below);
  const unsigned places = least + engine() % (most - least + 1);
  if (places == 0) return text;
  return text + "." + std::to_string(engine() % 10000 + 10000).substr(1, places);
}

std::string curve_keyword(std::mt19937& engine) {
  static const char* keywords[] = {"", " linear", " ease-in", " ease-out", " ease"};
  return keywords[engine() % 5];
}

// A pitch curve as users type them: x rising from 0 to 1 with up to 4
// decimals, y with up to 2, over a duration with up to 3, on a curve line or
// as a glide option; and the note the tool should write for it, with the
// numbers as typed.
struct TypedCurve {
  std::string note;
  std::string curve;
  std::string written;
};

std::vector<std::string> rising_positions(std::mt19937& engine) {
  std::vector<std::string> xs;
  const std::size_t inner = engine() % 5;
  for (std::size_t i = 0; i < inner; ++i) xs.push_back(decimal(engine, 1, 1, 4));
  const auto less = [](const std::string& a, const std::string& b) {
    return std::stof(a) < std::stof(b);
  };
  std::sort(xs.begin(), xs.end(), less);
  const auto same = [&](const std::string& a, const std::string& b) { return !less(a, b); };
  xs.erase(std::unique(xs.begin(), xs.end(), same), xs.end());
  if (!xs.empty() && std::stof(xs.front()) == 0) xs.erase(xs.begin());
  xs.insert(xs.begin(), "0");
  xs.push_back("1");
  return xs;
}

std::string written_keyword(const std::string& keyword) {
  return keyword == " ease" ? "" : keyword;
}

// A typed decimal as the canonical text spells it: no trailing zero or
// point, and zero without a sign ("2.50" is "2.5", "-0.0" is "0").
std::string spelled(std::string typed) {
  if (typed.find('.') != std::string::npos) {
    while (typed.back() == '0') typed.pop_back();
    if (typed.back() == '.') typed.pop_back();
  }
  return typed == "-0" ? "0" : typed;
}

TypedCurve typed_curve(std::mt19937& engine) {
  const std::vector<std::string> xs = rising_positions(engine);
  std::vector<std::string> ys;
  std::vector<std::string> keywords;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    ys.push_back((engine() % 2 ? "-" : "") + decimal(engine, 13, 0, 2));
    keywords.push_back(curve_keyword(engine));
  }
  if (xs.size() == 2 && engine() % 3 == 0) ys[0] = "0";
  std::string duration = decimal(engine, 20, 0, 3);
  if (std::stof(duration) == 0) duration = "0.5";
  TypedCurve typed{"0 60 " + duration, "pitch ", "0 60 " + spelled(duration)};
  const bool glide = xs.size() == 2 && std::stof(ys[0]) == 0;
  if (glide && std::stof(ys[1]) != 0) {
    typed.written += " glide " + spelled(ys[1]) + written_keyword(keywords[0]);
  }
  if (glide && engine() % 2) {
    typed.note += " glide " + ys[1] + keywords[0];
    typed.curve.clear();
    return typed;
  }
  if (!glide) typed.written += "\n  pitch ";
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const std::string separator = i ? ", " : "";
    typed.curve += separator + xs[i] + " " + ys[i] + keywords[i];
    if (glide) continue;
    const bool last = i + 1 == xs.size();
    typed.written += separator + spelled(xs[i]) + " " + spelled(ys[i]) +
                     (last ? " linear" : written_keyword(keywords[i]));
  }
  return typed;
}

TEST(WrittenPitch, TypedCurvesComeBackAsTyped) {
  std::mt19937 engine(20261208);
  const std::size_t count = curve_count(3000);
  std::size_t as_typed = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const TypedCurve typed = typed_curve(engine);
    // Every other note is a motif note, without a sound.
    const std::string sound = i % 2 ? "" : "lead ";
    SCOPED_TRACE(sound + typed.note + "\n  " + typed.curve);
    const std::string written = typed.curve.empty() ? rewrite(sound + typed.note, {})
                                                    : rewrite(sound + typed.note, {typed.curve});
    ASSERT_EQ(rewrite_written(written), written);
    as_typed += written == sound + typed.written;
  }
  std::fprintf(stderr, "%zu of %zu curves come back as typed\n", as_typed, count);
  EXPECT_GE(as_typed * 1000, count * 999);
}

// Curves of any kind: positions that fall or leave 0 to 1, offsets and
// durations that are zero, negative, infinite or not a number. Each is final
// after one rewrite, or refused; every other curve is one the refusal's
// advice fits (x rising from 0 to 1, finite offsets, a duration above 0),
// which is never refused.
TEST(WrittenPitch, AnyCurveIsFinalAfterOneRewriteOrRefused) {
  static constexpr std::string_view advised_xs[] = {"0", "0.1", "0.35", "0.5", "0.875"};
  static constexpr std::string_view advised_durations[] = {"1e-45", "0.3", "9.125", "1e20"};
  testing::RandomTexts random(20261209);
  const std::size_t count = curve_count(3000);
  std::size_t refused = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const bool advised = i % 2 == 1;
    const auto number = [&](std::string_view advised_text) {
      return advised ? std::string(advised_text) : random.number();
    };
    std::string note = "lead 0 60 " + number(advised_durations[random.below(4)]);
    std::string curve = "pitch";
    const std::size_t points = 1 + random.below(5);
    for (std::size_t k = 0; k < points; ++k) {
      const std::string y = std::to_string(static_cast<int>(random.below(201)) - 100);
      curve += (k ? ", " : " ") + number(advised_xs[k]) + " " + number(y);
      if (random.chance(30)) curve += " linear";
    }
    if (random.chance(20)) note += " glide " + random.number();
    SCOPED_TRACE(note + "\n  " + curve);
    const auto read = read_note(note, {curve});
    if (read && !pitch_settles(read.value())) {
      EXPECT_FALSE(advised);
      ++refused;
      continue;
    }
    const std::string written = rewrite(note, {curve});
    ASSERT_EQ(rewrite_written(written), written);
  }
  std::fprintf(stderr, "%zu of %zu curves refused\n", refused, count);
}

}  // namespace
}  // namespace voromel::track::format
