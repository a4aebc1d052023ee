#include "model_fields.h"

// The model compares as the format sees its values: see model_fields.h.
namespace voromel::song {

bool operator==(const Effect::Lowpass& a, const Effect::Lowpass& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Effect::Highpass& a, const Effect::Highpass& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Effect::LowpassParam& a, const Effect::LowpassParam& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Effect::HighpassParam& a, const Effect::HighpassParam& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Effect::Echo& a, const Effect::Echo& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Effect::Tremolo& a, const Effect::Tremolo& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Effect::Compressor& a, const Effect::Compressor& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Effect::Eq& a, const Effect::Eq& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Effect::DelaySync& a, const Effect::DelaySync& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Effect::Reverb& a, const Effect::Reverb& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const SongPosition& a, const SongPosition& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const TempoChange& a, const TempoChange& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const JumpCondition& a, const JumpCondition& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Jump& a, const Jump& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const VolumeParam& a, const VolumeParam& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Layer& a, const Layer& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const NoteSegment& a, const NoteSegment& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Arpeggio& a, const Arpeggio& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Note& a, const Note& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const NoteOverride& a, const NoteOverride& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const MotifInstance& a, const MotifInstance& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const SubtrackInstance& a, const SubtrackInstance& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Marker& a, const Marker& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const TempoParam& a, const TempoParam& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Param& a, const Param& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Song& a, const Song& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Harmonic& a, const Harmonic& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const SampleZone& a, const SampleZone& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const VoiceOverride& a, const VoiceOverride& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const EnvelopeStage& a, const EnvelopeStage& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Modulation& a, const Modulation& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Sound& a, const Sound& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Subtitle& a, const Subtitle& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const Tuning& a, const Tuning& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const WavePoint& a, const WavePoint& b) {
  return model_fields::same_fields(a, b);
}

}  // namespace voromel::song

namespace voromel {

bool operator==(const Snapshot& a, const Snapshot& b) {
  return model_fields::same_fields(a, b);
}
bool operator==(const ReverbPreset& a, const ReverbPreset& b) {
  return model_fields::same_fields(a, b);
}

}  // namespace voromel
