#pragma once

#include <bit>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <voromel/model.h>

// The fields of the model's values, each listed once, in the order the text
// writes them: `fields(visit, a, b)` calls `visit(name, field of a, field of
// b)` for every field. Equality and the search for the first field that a
// written text does not give back both walk these lists.
namespace voromel::model_fields {

// Floats are the same when their bits are: a NaN equals the same NaN, and
// -0 differs from 0, since each is written as it is.
inline bool same_value(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

template <class T>
bool same_value(const T& a, const T& b);

template <class T>
bool same_values(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!same_value(a[i], b[i])) return false;
  }
  return true;
}

template <class T>
bool same_value(const T& a, const T& b) {
  if constexpr (requires {
                  a.has_value();
                  *a;
                }) {
    if (a.has_value() != b.has_value()) return false;
    return !a.has_value() || same_value(*a, *b);
  } else if constexpr (requires { a.index(); }) {
    if (a.index() != b.index()) return false;
    return std::visit(
        [&](const auto& left) {
          return same_value(left, std::get<std::decay_t<decltype(left)>>(b));
        },
        a);
  } else if constexpr (requires {
                         a.first;
                         a.second;
                       }) {
    return same_value(a.first, b.first) && same_value(a.second, b.second);
  } else if constexpr (requires {
                         a.size();
                         a.begin()->first;
                       }) {
    if (a.size() != b.size()) return false;
    auto right = b.begin();
    for (auto left = a.begin(); left != a.end(); ++left, ++right) {
      if (left->first != right->first || !same_value(left->second, right->second)) return false;
    }
    return true;
  } else if constexpr (requires {
                         a.size();
                         a[0];
                       } &&
                       !std::is_same_v<T, std::string>) {
    return same_values(a, b);
  } else {
    return a == b;
  }
}

// Whether every field of `a` is the same value as that field of `b`.
template <class T>
bool same_fields(const T& a, const T& b);

template <class Visit>
void fields(Visit& visit, const song::WavePoint& a, const song::WavePoint& b) {
  visit("x", a.x, b.x);
  visit("y", a.y, b.y);
  visit("curve", a.curve, b.curve);
}

template <class Visit>
void fields(Visit& visit, const song::NoteSegment& a, const song::NoteSegment& b) {
  visit("pitch change", a.pitch_delta, b.pitch_delta);
  visit("duration", a.duration, b.duration);
  visit("curve", a.curve, b.curve);
}

template <class Visit>
void fields(Visit& visit, const song::Arpeggio& a, const song::Arpeggio& b) {
  visit("offset", a.offsets, b.offsets);
  visit("rate", a.rate, b.rate);
}

template <class Visit>
void fields(Visit& visit, const song::Note& a, const song::Note& b) {
  visit("sound", a.sound, b.sound);
  visit("start", a.start, b.start);
  visit("pitch", a.pitch, b.pitch);
  visit("pitch segment", a.segments, b.segments);
  visit("last segment", a.last_segment, b.last_segment);
  visit("volume", a.volume, b.volume);
  visit("volume point", a.volume_curve, b.volume_curve);
  visit("arpeggio", a.arpeggio, b.arpeggio);
  visit("repeat", a.repeat, b.repeat);
  visit("text", a.text, b.text);
  visit("text in apostrophes", a.text_apostrophe, b.text_apostrophe);
}

template <class Visit>
void fields(Visit& visit, const song::Trim& a, const song::Trim& b) {
  visit("from", a.from, b.from);
  visit("count", a.count, b.count);
}

template <class Visit>
void fields(Visit& visit, const song::NoteOverride& a, const song::NoteOverride& b) {
  visit("index", a.index, b.index);
  visit("skip", a.skip, b.skip);
  visit("pitch", a.pitch, b.pitch);
  visit("start", a.start, b.start);
  visit("duration", a.duration, b.duration);
  visit("glide", a.glide, b.glide);
  visit("volume", a.volume, b.volume);
  visit("text", a.text, b.text);
  visit("pitch point", a.pitch_curve, b.pitch_curve);
}

template <class Visit>
void fields(Visit& visit, const song::MotifInstance& a, const song::MotifInstance& b) {
  visit("name", a.name, b.name);
  visit("start", a.start, b.start);
  visit("sound", a.sound, b.sound);
  visit("transpose", a.transpose, b.transpose);
  visit("tuning", a.tuning, b.tuning);
  visit("override", a.overrides, b.overrides);
  visit("trim", a.trim, b.trim);
}

template <class Visit>
void fields(Visit& visit, const song::SubtrackInstance& a, const song::SubtrackInstance& b) {
  visit("name", a.name, b.name);
  visit("start", a.start, b.start);
  visit("qualifier", a.qualifier, b.qualifier);
  visit("transpose", a.transpose, b.transpose);
  visit("tuning", a.tuning, b.tuning);
  visit("override", a.overrides, b.overrides);
  visit("trim", a.trim, b.trim);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::Lowpass& a, const song::Effect::Lowpass& b) {
  visit("cutoff", a.cutoff, b.cutoff);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::Highpass& a, const song::Effect::Highpass& b) {
  visit("cutoff", a.cutoff, b.cutoff);
}

template <class Visit, class Param>
requires std::is_same_v<Param, song::Effect::LowpassParam> ||
    std::is_same_v<Param, song::Effect::HighpassParam>
void fields(Visit& visit, const Param& a, const Param& b) {
  visit("parameter", a.name, b.name);
  visit("maximum cutoff", a.max_cutoff, b.max_cutoff);
  visit("minimum cutoff", a.min_cutoff, b.min_cutoff);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::Echo& a, const song::Effect::Echo& b) {
  visit("delay", a.delay, b.delay);
  visit("feedback", a.feedback, b.feedback);
  visit("mix", a.mix, b.mix);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::Tremolo& a, const song::Effect::Tremolo& b) {
  visit("rate", a.rate, b.rate);
  visit("depth", a.depth, b.depth);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::Bitcrusher& a, const song::Effect::Bitcrusher& b) {
  visit("bits", a.bits, b.bits);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::Compressor& a, const song::Effect::Compressor& b) {
  visit("threshold", a.threshold, b.threshold);
  visit("ratio", a.ratio, b.ratio);
  visit("attack", a.attack, b.attack);
  visit("release", a.release, b.release);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::Eq& a, const song::Effect::Eq& b) {
  visit("low gain", a.low_db, b.low_db);
  visit("high gain", a.high_db, b.high_db);
  visit("low frequency", a.low_freq, b.low_freq);
  visit("high frequency", a.high_freq, b.high_freq);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::DelaySync& a, const song::Effect::DelaySync& b) {
  visit("beats", a.beats, b.beats);
  visit("feedback", a.feedback, b.feedback);
  visit("mix", a.mix, b.mix);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::Reverb& a, const song::Effect::Reverb& b) {
  visit("room size", a.room_size, b.room_size);
  visit("decay", a.decay, b.decay);
  visit("mix", a.mix, b.mix);
  visit("predelay", a.predelay, b.predelay);
}

template <class Visit>
void fields(Visit& visit, const song::Effect::ReverbPresetName& a,
            const song::Effect::ReverbPresetName& b) {
  visit("preset", a.name, b.name);
}

template <class Visit>
void fields(Visit& visit, const song::Effect& a, const song::Effect& b) {
  visit("kind", a.kind, b.kind);
}

template <class Visit>
void fields(Visit& visit, const song::VolumeParam& a, const song::VolumeParam& b) {
  visit("name", a.name, b.name);
  visit("scale", a.scale, b.scale);
}

template <class Visit>
void fields(Visit& visit, const song::Layer& a, const song::Layer& b) {
  visit("volume", a.volume, b.volume);
  visit("volume parameter", a.volume_param, b.volume_param);
  visit("pan", a.pan, b.pan);
  visit("mute", a.mute, b.mute);
  visit("solo", a.solo, b.solo);
  visit("loop length", a.loop_length, b.loop_length);
  visit("loop skip", a.loop_skip, b.loop_skip);
  visit("tuning", a.tuning, b.tuning);
  visit("root", a.root, b.root);
  visit("effect", a.effects, b.effects);
  visit("note", a.notes, b.notes);
  visit("motif placement", a.motif_instances, b.motif_instances);
  visit("subtrack placement", a.subtrack_instances, b.subtrack_instances);
}

template <class Visit>
void fields(Visit& visit, const song::SongPosition& a, const song::SongPosition& b) {
  visit("place", a.place, b.place);
}

template <class Visit>
void fields(Visit& visit, const song::TempoChange& a, const song::TempoChange& b) {
  visit("kind", a.kind, b.kind);
  visit("value", a.value, b.value);
}

template <class Visit>
void fields(Visit& visit, const song::JumpTransition& a, const song::JumpTransition& b) {
  visit("motif", a.motif, b.motif);
  visit("sound", a.sound, b.sound);
}

template <class Visit>
void fields(Visit& visit, const song::JumpCondition& a, const song::JumpCondition& b) {
  visit("source", a.source, b.source);
  visit("parameter", a.parameter, b.parameter);
  visit("comparison", a.comparison, b.comparison);
  visit("value", a.value, b.value);
}

template <class Visit>
void fields(Visit& visit, const song::Jump& a, const song::Jump& b) {
  visit("target", a.target, b.target);
  visit("skip", a.skip, b.skip);
  visit("tempo change", a.tempo_change, b.tempo_change);
  visit("transition", a.transition, b.transition);
  visit("condition", a.condition, b.condition);
}

template <class Visit>
void fields(Visit& visit, const song::JumpAt& a, const song::JumpAt& b) {
  visit("position", a.position, b.position);
  fields(visit, static_cast<const song::Jump&>(a), static_cast<const song::Jump&>(b));
}

template <class Visit>
void fields(Visit& visit, const song::Marker& a, const song::Marker& b) {
  visit("name", a.name, b.name);
  visit("beat", a.beat, b.beat);
}

template <class Visit>
void fields(Visit& visit, const song::TempoParam& a, const song::TempoParam& b) {
  visit("name", a.name, b.name);
  visit("scale", a.scale, b.scale);
}

template <class Visit>
void fields(Visit& visit, const song::Param& a, const song::Param& b) {
  visit("name", a.name, b.name);
  visit("default", a.default_value, b.default_value);
}

template <class Visit>
void fields(Visit& visit, const song::Song& a, const song::Song& b) {
  visit("tempo", a.tempo, b.tempo);
  visit("tempo ratio", a.tempo_ratio, b.tempo_ratio);
  visit("tempo parameter", a.tempo_param, b.tempo_param);
  visit("beats per bar", a.beats_per_bar, b.beats_per_bar);
  visit("beat unit", a.beat_unit, b.beat_unit);
  visit("seed", a.seed, b.seed);
  visit("parameter", a.params, b.params);
  visit("length", a.length, b.length);
  visit("layer", a.layers, b.layers);
  visit("marker", a.markers, b.markers);
  visit("jump", a.jumps, b.jumps);
  visit("jump-at", a.jump_ats, b.jump_ats);
}

template <class Visit>
void fields(Visit& visit, const song::Harmonic& a, const song::Harmonic& b) {
  visit("wave", a.wave, b.wave);
  visit("multiplier", a.multiplier, b.multiplier);
  visit("weight", a.weight, b.weight);
  visit("duty", a.duty, b.duty);
}

template <class Visit>
void fields(Visit& visit, const song::SampleZone& a, const song::SampleZone& b) {
  visit("file", a.file, b.file);
  visit("low", a.low, b.low);
  visit("high", a.high, b.high);
}

template <class Visit>
void fields(Visit& visit, const song::VoiceOverride& a, const song::VoiceOverride& b) {
  visit("parameter", a.parameter, b.parameter);
  visit("value", a.value, b.value);
}

template <class Visit>
void fields(Visit& visit, const song::EnvelopeStage& a, const song::EnvelopeStage& b) {
  visit("duration", a.duration, b.duration);
  visit("curve", a.curve, b.curve);
}

template <class Visit>
void fields(Visit& visit, const song::Modulation& a, const song::Modulation& b) {
  visit("shape", a.shape, b.shape);
  visit("rate", a.rate, b.rate);
  visit("depth", a.depth, b.depth);
}

template <class Visit>
void fields(Visit& visit, const song::Sound& a, const song::Sound& b) {
  visit("harmonic", a.harmonics, b.harmonics);
  visit("sample", a.samples, b.samples);
  visit("voice", a.voice, b.voice);
  visit("voice override", a.voice_overrides, b.voice_overrides);
  visit("ensemble", a.ensemble, b.ensemble);
  visit("arpeggio", a.arpeggio, b.arpeggio);
  visit("distortion", a.distortion, b.distortion);
  visit("detune", a.detune, b.detune);
  visit("volume jitter", a.vol_jitter, b.vol_jitter);
  visit("steps", a.steps, b.steps);
  visit("attack", a.attack, b.attack);
  visit("decay", a.decay, b.decay);
  visit("sustain", a.sustain, b.sustain);
  visit("release", a.release, b.release);
  visit("noise", a.noise, b.noise);
  visit("vibrato", a.vibrato, b.vibrato);
  visit("tremolo", a.tremolo, b.tremolo);
  visit("slide amount", a.slide_amount, b.slide_amount);
  visit("slide time", a.slide_time, b.slide_time);
  visit("filter cutoff", a.filter_cutoff, b.filter_cutoff);
  visit("filter envelope amount", a.filter_env, b.filter_env);
  visit("filter envelope", a.filter_envelope, b.filter_envelope);
  visit("duty sweep", a.duty_sweep, b.duty_sweep);
  visit("volume", a.volume, b.volume);
}

template <class Visit>
void fields(Visit& visit, const song::Subtitle& a, const song::Subtitle& b) {
  visit("beat", a.beat, b.beat);
  visit("text", a.text, b.text);
}

template <class Visit>
void fields(Visit& visit, const song::Tuning& a, const song::Tuning& b) {
  visit("ratio", a.ratios, b.ratios);
  visit("period", a.period, b.period);
}

template <class Visit>
void fields(Visit& visit, const voromel::Motif& a, const voromel::Motif& b) {
  visit("note", a.notes, b.notes);
}

template <class Visit>
void fields(Visit& visit, const voromel::Wave& a, const voromel::Wave& b) {
  visit("point", a.points, b.points);
}

template <class Visit>
void fields(Visit& visit, const voromel::SubtitleTrack& a, const voromel::SubtitleTrack& b) {
  visit("subtitle", a.subtitles, b.subtitles);
}

template <class Visit>
void fields(Visit& visit, const voromel::Snapshot& a, const voromel::Snapshot& b) {
  visit("parameter", a.values, b.values);
}

template <class Visit>
void fields(Visit& visit, const voromel::ReverbPreset& a, const voromel::ReverbPreset& b) {
  visit("room size", a.room_size, b.room_size);
  visit("decay", a.decay, b.decay);
  visit("mix", a.mix, b.mix);
  visit("predelay", a.predelay, b.predelay);
}

// Stops at the first field that differs.
struct SameFields {
  bool same = true;

  template <class T>
  void operator()(const char*, const T& a, const T& b) {
    if (same) same = same_value(a, b);
  }
};

template <class T>
bool same_fields(const T& a, const T& b) {
  SameFields visit;
  fields(visit, a, b);
  return visit.same;
}

}  // namespace voromel::model_fields
