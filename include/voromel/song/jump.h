#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace voromel::song {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// A place on a song's timeline: a beat, or the name of one of its markers.
struct SongPosition {
  std::variant<float, std::string> place;

  static SongPosition at_beat(float beat) { return {beat}; }
  static SongPosition at_marker(std::string name) { return {std::move(name)}; }

  const float* beat() const { return std::get_if<float>(&place); }
  const std::string* marker() const { return std::get_if<std::string>(&place); }

  friend bool operator==(const SongPosition&, const SongPosition&);
};

// What a jump does to the tempo: nothing, set it, or carry it over scaled.
struct TempoChange {
  enum class Kind { None, Absolute, CarryFactor };

  Kind kind = Kind::None;
  float value = 0;

  static TempoChange none() { return {}; }
  static TempoChange absolute(float tempo) { return {Kind::Absolute, tempo}; }
  static TempoChange carry_factor(float factor) { return {Kind::CarryFactor, factor}; }

  friend bool operator==(const TempoChange&, const TempoChange&);
};

// A transition played on the way: a motif through a sound.
struct JumpTransition {
  std::string motif;
  std::string sound;

  friend bool operator==(const JumpTransition&, const JumpTransition&) = default;
};

// The comparisons of a condition, in the order of their texts
// "<", "<=", ">", ">=", "==", "!=".
enum class Comparison { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };

// Whether a jump is taken: a source compared with a value.
struct JumpCondition {
  enum class Source { Plays, Random, Parameter };

  Source source = Source::Plays;
  // The parameter's name when `source` is `Parameter`, empty otherwise.
  std::string parameter;
  Comparison comparison = Comparison::Less;
  // For `Plays` a whole number.
  float value = 0;

  friend bool operator==(const JumpCondition&, const JumpCondition&);
};

// A jump to a target (a marker name, or a beat written as a number).
struct Jump {
  std::string target;
  float skip = 0;
  TempoChange tempo_change;
  std::optional<JumpTransition> transition;
  std::optional<JumpCondition> condition;

  friend bool operator==(const Jump&, const Jump&);
};

// A jump taken when the song reaches `position`.
struct JumpAt : Jump {
  SongPosition position;

  friend bool operator==(const JumpAt&, const JumpAt&) = default;
};

}  // namespace voromel::song
