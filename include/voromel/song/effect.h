#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace voromel::song {

// Values compare field by field with ==, floats by their bits, as the
// text writes them: a NaN equals the same NaN, and -0 differs from 0.

// One processor of a layer's effect chain. The kinds are listed in the order
// of their keywords; every field is stored as read, after the clamps of its
// kind.
struct Effect {
  struct Lowpass {
    float cutoff = 0;
    friend bool operator==(const Lowpass&, const Lowpass&);
  };
  struct Highpass {
    float cutoff = 0;
    friend bool operator==(const Highpass&, const Highpass&);
  };
  // A filter whose cutoff follows a song parameter between the two bounds.
  struct LowpassParam {
    std::string name;
    float max_cutoff = 0;
    float min_cutoff = 0;
    friend bool operator==(const LowpassParam&, const LowpassParam&);
  };
  struct HighpassParam {
    std::string name;
    float max_cutoff = 0;
    float min_cutoff = 0;
    friend bool operator==(const HighpassParam&, const HighpassParam&);
  };
  struct Echo {
    float delay = 0;
    float feedback = 0;
    float mix = 0;
    friend bool operator==(const Echo&, const Echo&);
  };
  struct Tremolo {
    float rate = 0;
    float depth = 0;
    friend bool operator==(const Tremolo&, const Tremolo&);
  };
  // 1 to 16.
  struct Bitcrusher {
    std::uint8_t bits = 16;
    friend bool operator==(const Bitcrusher&, const Bitcrusher&) = default;
  };
  // Threshold 0 to 1, ratio at least 1, attack and release at least 0.
  struct Compressor {
    float threshold = 0;
    float ratio = 1;
    float attack = 0.005f;
    float release = 0.1f;
    friend bool operator==(const Compressor&, const Compressor&);
  };
  // Both frequencies at least 1.
  struct Eq {
    float low_db = 0;
    float high_db = 0;
    float low_freq = 300;
    float high_freq = 3000;
    friend bool operator==(const Eq&, const Eq&);
  };
  // Beats at least 0.
  struct DelaySync {
    float beats = 0;
    float feedback = 0;
    float mix = 0;
    friend bool operator==(const DelaySync&, const DelaySync&);
  };
  // Room size, decay and mix 0 to 1, predelay at least 0.
  struct Reverb {
    float room_size = 0;
    float decay = 0;
    float mix = 0;
    float predelay = 0.01f;
    friend bool operator==(const Reverb&, const Reverb&);
  };
  // A reverb given by the name of a preset.
  struct ReverbPresetName {
    std::string name;
    friend bool operator==(const ReverbPresetName&, const ReverbPresetName&) = default;
  };

  using Kind = std::variant<Lowpass, Highpass, LowpassParam, HighpassParam, Echo, Tremolo,
                            Bitcrusher, Compressor, Eq, DelaySync, Reverb, ReverbPresetName>;
  Kind kind;

  friend bool operator==(const Effect&, const Effect&) = default;
};

}  // namespace voromel::song
