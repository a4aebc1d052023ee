#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "fuzz/fixed_point.h"
#include "model_fields.h"
#include "track/multisong/read_back.h"
#include "voromel/voromel.h"

// The property the model fuzz target checks, shared with the test that
// replays its findings: a model built from any bytes, with every field set,
// is refused by `write`, or written as a text that reads back to an equal
// model, is written again the same, and is canonical block by block too.
namespace voromel::fuzz {

// The fuzzer's bytes, taken one choice at a time; zeros once they run out.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}

  std::uint8_t byte() {
    if (data_.empty()) return 0;
    const auto value = static_cast<std::uint8_t>(data_.front());
    data_.remove_prefix(1);
    return value;
  }
  std::size_t below(std::size_t count) { return byte() % count; }
  bool bit() { return (byte() & 1) != 0; }

  // Names and texts from a small alphabet that holds the format's keywords,
  // numbers, white space, line ends and heading marks.
  std::string name() {
    static constexpr std::array<std::string_view, 40> names{
        "a",      "b",    "main",  "bass",   "lead",     "motif",      "subtrack", "random",
        "plays",  "if",   "via",   "sound",  "tempo",    "pitch",      "volume",   "repeat",
        "rate",   "trim", "skip",  "linear", "ease-in",  "3",          "-1",       "1e5",
        "nan",    "inf",  "x.wav", "@tempo", "#a",       "a b",        "",         " a",
        "a\n# b", "a\r",  "Tags",  "Meta",   "\xc3\xa9", "\"quoted\"", "'",        "a  b"};
    return std::string(names[below(names.size())]);
  }

  // Edge values first, then any 32 bits.
  float number() {
    static constexpr std::array<float, 16> numbers{0.0f,
                                                   -0.0f,
                                                   1.0f,
                                                   -1.0f,
                                                   0.5f,
                                                   1.5f,
                                                   2.0f,
                                                   120.0f,
                                                   1e20f,
                                                   -1e20f,
                                                   4294967296.0f,
                                                   std::numeric_limits<float>::max(),
                                                   std::numeric_limits<float>::denorm_min(),
                                                   std::numeric_limits<float>::infinity(),
                                                   -std::numeric_limits<float>::infinity(),
                                                   std::numeric_limits<float>::quiet_NaN()};
    const std::size_t choice = below(numbers.size() + 2);
    if (choice < numbers.size()) return numbers[choice];
    if (choice == numbers.size()) return -std::numeric_limits<float>::quiet_NaN();
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits = bits << 8 | byte();
    return std::bit_cast<float>(bits);
  }

  template <class Integer>
  Integer integer() {
    const std::size_t choice = below(6);
    if (choice < 4) return static_cast<Integer>(choice);
    if (choice == 4) return std::numeric_limits<Integer>::max();
    return static_cast<Integer>(byte());
  }

 private:
  std::string_view data_;
};

// Sets every field of a value from the bytes, walking the same list of
// fields that equality walks.
class Fill {
 public:
  explicit Fill(Bytes& bytes) : bytes_(bytes) {}

  // Called by `model_fields::fields(fill, value, value)`.
  template <class T>
  void operator()(const char*, const T& field, const T&) {
    fill(const_cast<T&>(field));
  }

  void fill(float& value) { value = bytes_.number(); }
  void fill(bool& value) { value = bytes_.bit(); }
  void fill(std::string& value) { value = bytes_.name(); }
  void fill(song::Curve& curve) { curve = {bytes_.bit(), bytes_.bit()}; }
  void fill(song::Comparison& value) { value = static_cast<song::Comparison>(bytes_.below(6)); }
  void fill(song::JumpCondition::Source& value) {
    value = static_cast<song::JumpCondition::Source>(bytes_.below(3));
  }
  void fill(song::TempoChange::Kind& value) {
    value = static_cast<song::TempoChange::Kind>(bytes_.below(3));
  }
  void fill(song::VoiceParameter& value) {
    value = static_cast<song::VoiceParameter>(bytes_.below(4));
  }

  template <class Integer>
  requires std::is_integral_v<Integer>
  void fill(Integer& value) { value = bytes_.template integer<Integer>(); }

  template <class T>
  void fill(std::optional<T>& value) {
    value.reset();
    if (!bytes_.bit()) return;
    fill(value.emplace());
  }

  template <class T>
  void fill(std::vector<T>& values) {
    values.resize(bytes_.below(4));
    for (T& value : values) fill(value);
  }

  // An effect has no default kind to start from.
  void fill(std::vector<song::Effect>& effects) {
    effects.assign(bytes_.below(4), song::Effect{song::Effect::Bitcrusher{}});
    for (song::Effect& effect : effects) fill(effect.kind);
  }

  void fill(std::map<std::string, float>& values) {
    values.clear();
    for (std::size_t i = bytes_.below(4); i > 0; --i) values[bytes_.name()] = bytes_.number();
  }

  template <class... Kinds>
  void fill(std::variant<Kinds...>& value) {
    emplace_alternative(value, bytes_.below(sizeof...(Kinds)));
    std::visit([&](auto& alternative) { fill(alternative); }, value);
  }

  template <class T>
  requires requires(Fill& fill, const T& value) { model_fields::fields(fill, value, value); }
  void fill(T& value) { model_fields::fields(*this, value, value); }

 private:
  template <class Variant, std::size_t Index = 0>
  static void emplace_alternative(Variant& value, std::size_t index) {
    if constexpr (Index < std::variant_size_v<Variant>) {
      if (index == Index) {
        value = std::variant_alternative_t<Index, Variant>{};
        return;
      }
      emplace_alternative<Variant, Index + 1>(value, index);
    }
  }

  Bytes& bytes_;
};

// Rarely set, and never by the zeros after the bytes run out: lines and
// sub-blocks that nothing reads, which a write refuses.
template <class Value>
voromel::SectionList<Value> section_of(Bytes& bytes, Fill& fill) {
  voromel::SectionList<Value> list;
  if (bytes.below(8) == 7) list.lines.push_back(bytes.name());
  list.items.resize(bytes.below(3));
  for (auto& item : list.items) {
    item.name = bytes.name();
    fill.fill(item.value);
    if (bytes.below(8) == 7) item.unread_sub_block = "### " + bytes.name();
  }
  return list;
}

inline TrackDocument model_of(std::string_view data) {
  Bytes bytes(data);
  Fill fill(bytes);
  TrackDocument model;
  model.has_byte_order_mark = bytes.bit();
  fill.fill(model.leading_lines);
  fill.fill(model.meta.title);
  fill.fill(model.meta.author);
  fill.fill(model.meta.description);
  fill.fill(model.meta.tags);
  model.meta_sections = bytes.below(8) == 7 ? 2 : bytes.below(2);
  auto& sections = model.sections;
  sections.songs = section_of<song::Song>(bytes, fill);
  sections.layers = section_of<song::Layer>(bytes, fill);
  sections.sounds = section_of<song::Sound>(bytes, fill);
  sections.tunings = section_of<song::Tuning>(bytes, fill);
  sections.waves = section_of<Wave>(bytes, fill);
  sections.subtitles = section_of<SubtitleTrack>(bytes, fill);
  sections.motifs = section_of<Motif>(bytes, fill);
  sections.snapshots = section_of<Snapshot>(bytes, fill);
  sections.reverb = section_of<ReverbPreset>(bytes, fill);
  model.unknown.resize(bytes.below(2));
  for (UnknownSection& section : model.unknown) {
    section.title = bytes.name();
    section.body = bytes.name() + "\n";
  }
  return model;
}

// The model of the text written, without the empty line that separates the
// lines before the first heading from it.
inline TrackDocument read_back_model(const TrackDocument& given, const Document& read) {
  TrackDocument back = read.model();
  if (back.leading_lines.size() == given.leading_lines.size() + 1 &&
      back.leading_lines.back().empty()) {
    back.leading_lines.pop_back();
  }
  back.meta_sections = given.meta_sections;
  return back;
}

inline std::optional<Fault> model_fault(std::string_view data) {
  const TrackDocument model = model_of(data);
  const auto written = Document::from_model(model).write();
  if (!written) {
    if (written.error().refuses()) return std::nullopt;
    return Fault{"a write fails other than by a refusal", describe(written.error()), ""};
  }
  const std::string& text = written.value();
  const auto read = Document::read(text);
  if (!read) return Fault{"the written text does not read", text, describe(read.error())};
  const TrackDocument back = read_back_model(model, read.value());
  if (!(back == model)) {
    return Fault{"the written text reads back as another model", text,
                 track::multisong::first_difference(model, back).value_or("no field differs")};
  }
  if (auto fault = rewrite_fault(text)) return fault;
  return std::nullopt;
}

}  // namespace voromel::fuzz
