#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <voromel/result.h>
#include "header_format/parse_error.h"
#include "track/parse_error.h"
#include "voromel/song/tuning.h"

// Tuning blocks: ratio lines, "period <ratio>" and "equal <steps>".
namespace voromel::track::multisong {

// An "equal" line builds one ratio per step. So that a small file cannot make
// the tool hold or write huge lists, one line makes at most `max_equal_steps`
// ratios, and all "equal" lines of one document together at most
// `max_equal_ratios_per_document` (8 MiB of ratios, about 20 MiB of text when
// written out one by one).
inline constexpr std::uint64_t max_equal_steps = 65536;
inline constexpr std::uint64_t max_equal_ratios_per_document = std::uint64_t{1} << 21;

// What is left of one document's allowance of ratios made by "equal" lines.
//
// A block's grammar sees only its own lines, so whoever reads or writes a
// whole document keeps one budget for reading and one for writing and hands
// it to every tuning block; a block read or written on its own gets a fresh
// one. The writer writes an "equal" line only while its budget lasts, so
// that everything the tool writes reads back.
class EqualRatioBudget {
 public:
  std::uint64_t left() const { return left_; }
  // Takes `ratios` if that many are left; otherwise takes nothing.
  bool take(std::uint64_t ratios);

 private:
  std::uint64_t left_ = max_equal_ratios_per_document;
};

// Applies one trimmed, non-blank body line to the tuning being read.
LineResult<voromel::Ok> apply_tuning_line(song::Tuning& tuning, std::string_view line,
                                          std::size_t line_number, EqualRatioBudget& budget);

// Whether the ratios are those of `Tuning::equal` for as many steps, each
// within 1e-5 of the ratio relative to it.
bool is_equal_temperament(const std::vector<float>& ratios);

// Appends the canonical body of a tuning, drawing any "equal" line on `budget`.
void append_tuning(std::string& out, const song::Tuning& tuning, EqualRatioBudget& budget);

struct TuningSection {
  using Value = song::Tuning;
  static constexpr std::string_view title = "Tunings";

  // Errors are placed at their line, so the file line number goes in front
  // of the line number within the block.
  static voromel::Result<song::Tuning, header_format::ParseError> parse(
      std::span<const std::string_view> lines, EqualRatioBudget& budget);
  static void serialize(const song::Tuning& tuning, std::string& out, EqualRatioBudget& budget);

  // A block on its own, with a fresh budget.
  static voromel::Result<song::Tuning, header_format::ParseError> parse(
      std::span<const std::string_view> lines);
  static void serialize(const song::Tuning& tuning, std::string& out);
};

}  // namespace voromel::track::multisong
