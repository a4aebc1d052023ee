#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <voromel/song/curve.h>
#include <voromel/song/note.h>

namespace voromel::song {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// One partial of a sound: a named wave at a multiple of the played pitch.
struct Harmonic {
  std::string wave;
  float multiplier = 1;
  float weight = 0;
  // Pulse width within 0 to 1; 0 means not set.
  float duty = 0;

  friend bool operator==(const Harmonic&, const Harmonic&);
};

// One sample file and the range it answers for; the whole line without a
// range.
struct SampleZone {
  std::string file;
  float low = -std::numeric_limits<float>::infinity();
  float high = std::numeric_limits<float>::infinity();

  friend bool operator==(const SampleZone&, const SampleZone&);
};

enum class VoiceParameter { FormantShift, Tilt, Breathiness, Vibrato };

// One adjusted parameter of a voice preset.
struct VoiceOverride {
  VoiceParameter parameter = VoiceParameter::FormantShift;
  float value = 0;

  friend bool operator==(const VoiceOverride&, const VoiceOverride&);
};

// A stage of an envelope; a duration of 0 or less means the stage is absent.
struct EnvelopeStage {
  float duration = 0;
  Curve curve;

  friend bool operator==(const EnvelopeStage&, const EnvelopeStage&);
};

// A low-frequency oscillator; a depth of 0 or less means none. An empty
// shape stands for a sine.
struct Modulation {
  std::string shape;
  float rate = 0;
  float depth = 0;

  friend bool operator==(const Modulation&, const Modulation&);
};

// A synthesizer or sampler voice that layers play their notes with.
struct Sound {
  std::vector<Harmonic> harmonics;
  std::vector<SampleZone> samples;
  std::string voice;
  std::vector<VoiceOverride> voice_overrides;
  std::uint64_t ensemble = 0;
  Arpeggio arpeggio;
  float distortion = 0;
  float detune = 0;
  float vol_jitter = 0;
  std::uint32_t steps = 0;
  EnvelopeStage attack;
  EnvelopeStage decay;
  EnvelopeStage release;
  float sustain = 1;
  float noise = 0;
  Modulation vibrato;
  Modulation tremolo;
  float slide_amount = 0;
  float slide_time = 0;
  float filter_cutoff = 0;
  float filter_env = 0;
  EnvelopeStage filter_envelope;
  float duty_sweep = 0;
  float volume = 1;

  friend bool operator==(const Sound&, const Sound&);
};

}  // namespace voromel::song
