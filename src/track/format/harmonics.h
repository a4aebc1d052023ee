#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <voromel/result.h>
#include "header_format/text.h"
#include "track/parse_error.h"
#include "voromel/song/sound.h"

// The small value grammars a sound body is built from: harmonic lines,
// envelope stages and modulations, in both directions.
namespace voromel::track::format {

// "<wave>[@<multiplier>] <weight> [duty <width>]", with the aliases sub, tri,
// fifth, octave and square, or "wave[@<multiplier>] <name> <weight>".
LineResult<song::Harmonic> parse_harmonic(std::string_view line, std::size_t line_number);
// Parses one harmonic line and appends it to the sound's harmonics.
LineResult<voromel::Ok> apply_harmonic_line(song::Sound& sound, std::string_view line,
                                            std::size_t line_number);
// The line of one harmonic, ending in '\n', in a form that reads back to the
// same harmonic.
void append_harmonic_line(std::string& out, const song::Harmonic& harmonic);

// A duration and an optional curve keyword (ease when absent).
LineResult<song::EnvelopeStage> parse_envelope(std::string_view duration,
                                               std::optional<std::string_view> curve,
                                               std::size_t line_number);
// "{name} {duration}{curve suffix}".
void append_envelope(std::string& out, std::string_view name, const song::EnvelopeStage& stage);

// The rest of a modulation after its rate token: the depth and an optional
// shape. `name` is the directive's name and labels the errors.
LineResult<song::Modulation> parse_lfo(std::string_view rate, header_format::Tokens& tokens,
                                       std::size_t line_number, std::string_view name);
// "{name} {rate} {depth}", and the shape unless it is a sine.
void append_modulation(std::string& out, std::string_view name, const song::Modulation& modulation);

}  // namespace voromel::track::format
