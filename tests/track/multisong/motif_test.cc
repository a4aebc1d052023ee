#include "track/multisong/motif.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "body_support.h"
#include "track/multisong/section_kinds.h"

namespace voromel::track::multisong {
namespace {

using testing::lines_of;

// The canonical body, or the error as the user reads it for a block whose
// first body line is file line 20.
std::string rewrite(std::string_view body) {
  const auto motif = MotifSection::parse(lines_of(body));
  if (!motif) return "error " + motif.error().shifted(20).text();
  std::string out;
  MotifSection::serialize(motif.value(), out);
  return out;
}

TEST(MotifBody, CanonicalText) {
  struct Case {
    const char* body;
    const char* written;
  } cases[] = {
      {"0 60 0.5\n0.5 62 0.5 volume 0.8\n1 64 1 glide -2\n  volume 0 1, 0.5 0.2, 1 0 linear",
       "0 60 0.5\n0.5 62 0.5 volume 0.8\n1 64 1 glide -2\n  volume 0 1, 0.5 0.2, 1 0 linear\n"},
      {"2 60 1\n0 62 1\n1 64 1", "2 60 1\n0 62 1\n1 64 1\n"},
      {"0 60 1\n  volume 0 1, 1 0", "0 60 1 vol-ramp 0\n"},
      {"0 60 1\n\n\t  pitch 0 0, 1 2 \n", "0 60 1 glide 2\n"},
      {"0 60 1 glide 3", "0 60 1 glide 3\n"},
      {"0 60 1\n  pitch 0 0, 0.5 3, 1 0", "0 60 1\n  pitch 0 0, 0.5 3, 1 0 linear\n"},
      {"0.0 60 1 \"'la  la\" repeat 2", "0 60 1 \"'la la\" repeat 2\n"},
      {"", ""},
      {"\n  \n", ""},
      {"0 60 3\n  pitch 0.2 1 ease-in, 0.7 -3 ease-out, 1.5 2\n  volume 0.1 0.5, 0.9 1.5 linear",
       "0 60 4.5\n  pitch 0 1, 0.13333334 1 ease-in, 0.46666664 -3 ease-out, 1 2 linear\n"
       "  volume 0.1 0.5, 0.9 1.5 linear\n"},
      {"1.5 -12 0.25 arpeggio 0 3.5 7 rate 12.5 repeat 8 \" spoken  word \"",
       "1.5 -12 0.25 \" spoken word \" arpeggio 0 3.5 7 rate 12.5 repeat 8\n"},
      {"0 60 1 glide 0.1 ease-in vol-ramp 1.5 ease-out volume 0.3333\n  pitch 0 0, 0.1 0.1",
       "0 60 1 volume 0.3333 vol-ramp 1.5 ease-out\n  pitch 0 0, 0.1 0.1, 1 0.1 linear\n"},
      {"0 60 7\n  pitch 0 0, 0.1 1, 0.3 -1, 0.7 0.5 linear, 0.9 0",
       "0 60 7\n  pitch 0 0, 0.1 1, 0.3 -1, 0.7 0.5 linear, 0.9 0, 1 0 linear\n"},
      {"0 60 0\n  pitch 0 1, 1 2", "0 60 0\n  pitch 0 1, 0 2 linear\n"},
      {"0 60 1\n  pitch 0.5 0, 0.5 2, 0.25 1",
       "0 60 1\n  pitch 0 0, 0.5 0, 0.5 2, 0.25 1, 1 1 linear\n"},
      {"nan nan nan \"'\" volume inf", "NaN NaN NaN \"'\" volume inf\n"},
      {"-0 -0 -0\n  pitch 0 -0, 1 -0", "0 0 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(rewrite(c.body), c.written);
    EXPECT_EQ(rewrite(c.written), c.written);
  }
}

TEST(MotifBody, Errors) {
  struct Case {
    const char* body;
    const char* error;
  } cases[] = {
      {"0 60", "error line 20: line 1: motif note needs duration"},
      {"0", "error line 20: line 1: motif note needs pitch"},
      {"0 60 1\n\nlead 0 60 1", "error line 22: line 3: invalid number for start: 'lead'"},
      {"@volume 1", "error line 20: line 1: invalid number for start: '@volume'"},
      {"0 60 1 fast", "error line 20: line 1: unexpected note token 'fast'"},
      {"0 60 1\n  pitch 0 x", "error line 21: line 2: invalid number for envelope y: 'x'"},
      {"0 60 1\n  pitch", "error line 21: line 2: note curve needs points"},
      {"  volume 0 1, 1 0\n0 60 1", "error line 20: indented curve without a preceding motif note"},
      {"0 60 1\n  note 1 skip",
       "error line 21: indented motif line must be a 'pitch'/'volume' curve"},
      {"0 60 1\n  @volume 1",
       "error line 21: indented motif line must be a 'pitch'/'volume' curve"},
      // The kind of an indented line is checked before whether a note exists.
      {"\ttrim 0 1", "error line 20: indented motif line must be a 'pitch'/'volume' curve"},
      {"0 60 1\n  Pitch 0 0",
       "error line 21: indented motif line must be a 'pitch'/'volume' curve"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(rewrite(c.body), c.error);
  }
}

TEST(MotifBody, DocumentErrorsNameTheFileLine) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"# Motifs\n## hook\n\n0 60\n", "line 4: line 1: motif note needs duration"},
      {"# Motifs\n\n## hook\n0 60 1\n\n  note 1\n",
       "line 6: indented motif line must be a 'pitch'/'volume' curve"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto document = parse_track_document(c.text);
    ASSERT_FALSE(document.has_value());
    EXPECT_EQ(document.error().text(), c.error);
  }
}

// Random note lines and curve lines drawn from a small grammar. A pitch curve
// is stored as differences and read back as running sums, so its values are
// only sure to come back unchanged when those sums are exact: pitch curves
// here use binary fractions, growing positions from 0 to 1 and positive
// lengths. Other curves are left to the fixed cases above.
class BodyMaker : testing::Picker {
 public:
  using Picker::Picker;

  std::string body() {
    std::string out;
    const int notes = pick(6);
    for (int i = 0; i < notes; ++i) out += note();
    return out;
  }

 private:
  std::string number() {
    static const char* const numbers[] = {"0",   "1",  "2",   "0.5",    "0.25", "-1",   "3.75",
                                          "0.1", "12", "0.3", "-0.125", "7",    "1e-3", "0.7"};
    return one_of(numbers);
  }

  std::string exact_number() {
    static const char* const numbers[] = {"0", "1", "2", "0.5", "-0.25", "-1", "3.75", "-0.125"};
    return one_of(numbers);
  }

  std::string duration() {
    static const char* const durations[] = {"1", "2", "0.5", "0.25", "3.75", "12", "6"};
    return one_of(durations);
  }

  std::string curve() {
    static const char* const curves[] = {"", " linear", " ease-in", " ease-out", " ease"};
    return one_of(curves);
  }

  std::string points(bool exact) {
    static const char* const positions[] = {"0.125", "0.25", "0.375", "0.5", "0.75", "0.875"};
    const auto value = [&] { return exact ? exact_number() : number(); };
    std::string out = "0 " + value() + curve();
    int at = 0;
    while ((at += 1 + pick(3)) <= 6) {
      out += ", " + std::string(positions[at - 1]) + " " + value() + curve();
    }
    if (pick(2) == 0) out += ", 1 " + value() + curve();
    return out;
  }

  std::string note() {
    std::string out = number() + " " + number() + " " + duration();
    const int options = pick(4);
    for (int i = 0; i < options; ++i) {
      switch (pick(6)) {
        case 0:
          out += " glide " + exact_number() + curve();
          break;
        case 1:
          out += " volume " + number();
          break;
        case 2:
          out += " vol-ramp " + number() + curve();
          break;
        case 3:
          out += " arpeggio " + number() + " " + number() + " rate 4";
          break;
        case 4:
          out += " repeat " + std::to_string(pick(5));
          break;
        default:
          out += " \"'x  y\"";
          break;
      }
    }
    out += '\n';
    if (pick(2) == 0) out += "  pitch " + points(true) + "\n";
    if (pick(2) == 0) out += "  volume " + points(false) + "\n";
    return out;
  }
};

std::size_t notes_in(std::string_view body) {
  const auto motif = MotifSection::parse(lines_of(body));
  return motif ? motif.value().notes.size() : 0;
}

TEST(MotifBody, RandomBodiesRoundTrip) {
  BodyMaker maker(20240607);
  for (int i = 0; i < 500; ++i) {
    const std::string body = maker.body();
    SCOPED_TRACE(body);
    const std::string once = rewrite(body);
    ASSERT_EQ(once.rfind("error", 0), std::string::npos) << once;
    EXPECT_EQ(rewrite(once), once);
    EXPECT_EQ(notes_in(once), notes_in(body));
  }
}

}  // namespace
}  // namespace voromel::track::multisong
