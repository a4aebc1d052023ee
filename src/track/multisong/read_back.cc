#include "track/multisong/read_back.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <span>
#include <string_view>
#include <vector>

#include "model_fields.h"
#include "song/total_order.h"
#include "track/multisong/section_kinds.h"

namespace voromel::track::multisong {

namespace {

using model_fields::fields;
using model_fields::same_value;
using voromel::SectionList;

std::string shown(std::string_view text) {
  return shown_text(text);
}

std::string shown(const std::string& text) {
  return shown(std::string_view(text));
}

// The shortest text that gives the float back; a NaN also shows its bits,
// since two NaNs are the same value only when their bits are.
std::string shown(float value) {
  std::array<char, 32> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  std::string out = shown(std::string_view(digits.data(), end - digits.data()));
  if (std::isnan(value)) {
    std::array<char, 16> bits{};
    const auto hex_end = std::to_chars(bits.data(), bits.data() + bits.size(),
                                       std::bit_cast<std::uint32_t>(value), 16)
                             .ptr;
    out += " (bits 0x" + std::string(bits.data(), hex_end) + ")";
  }
  return out;
}

std::string shown(bool value) {
  return value ? "yes" : "no";
}

template <class Integer>
requires std::is_integral_v<Integer> std::string shown(Integer value) {
  return shown(std::string_view(std::to_string(value)));
}

std::string shown(song::Curve curve) {
  if (curve == song::Curve::linear()) return "linear";
  if (curve == song::Curve::ease_in_only()) return "ease-in";
  if (curve == song::Curve::ease_out_only()) return "ease-out";
  return "ease";
}

std::string shown(song::JumpCondition::Source source) {
  constexpr std::array<std::string_view, 3> names{"plays", "random", "a parameter"};
  return std::string(names.at(static_cast<std::size_t>(source)));
}

std::string shown(song::Comparison comparison) {
  constexpr std::array<std::string_view, 6> names{"<", "<=", ">", ">=", "==", "!="};
  return shown(names.at(static_cast<std::size_t>(comparison)));
}

std::string shown(song::TempoChange::Kind kind) {
  constexpr std::array<std::string_view, 3> names{"none", "absolute", "carry factor"};
  return std::string(names.at(static_cast<std::size_t>(kind)));
}

std::string shown(song::VoiceParameter parameter) {
  constexpr std::array<std::string_view, 4> names{"formant shift", "tilt", "breathiness",
                                                  "vibrato"};
  return std::string(names.at(static_cast<std::size_t>(parameter)));
}

template <class Kind>
requires std::is_same_v<Kind, song::Effect::Kind> std::string shown(const Kind& kind) {
  constexpr std::array<std::string_view, 12> names{"lowpass",
                                                   "highpass",
                                                   "lowpass by parameter",
                                                   "highpass by parameter",
                                                   "echo",
                                                   "tremolo",
                                                   "bitcrusher",
                                                   "compressor",
                                                   "eq",
                                                   "delay",
                                                   "reverb",
                                                   "reverb preset"};
  return std::string(names.at(kind.index())) + " effect";
}

template <class Place>
requires std::is_same_v<Place, std::variant<float, std::string>> std::string shown(
    const Place& place) {
  if (const float* beat = std::get_if<float>(&place)) return "beat " + shown(*beat);
  return "marker " + shown(std::get<std::string>(place));
}

template <class T>
requires requires(const T& value) {
  shown(value);
}
std::string shown(const std::optional<T>& value) {
  return value ? shown(*value) : "none";
}

template <class T>
concept Shown = requires(const T& value) {
  shown(value);
};

template <class T>
concept HasFields = requires(model_fields::SameFields& visit, const T& value) {
  fields(visit, value, value);
};

// One step of the path to a field: a field's name, or an entry of a list.
struct Step {
  std::string text;
  bool entry = false;
};

// Walks two values field by field and keeps the first field that differs,
// named by its path within the block being compared.
class FirstDifference {
 public:
  // Compares what follows within `block`, such as "'## main' in '# Songs'".
  void at(std::string block) { block_ = std::move(block); }

  bool found() const { return found_.has_value(); }
  std::optional<std::string> take() && { return std::move(found_); }

  template <class T>
  void operator()(std::string_view name, const T& given, const T& read) {
    if (found_ || same_value(given, read)) return;
    path_.push_back({std::string(name)});
    describe(given, read);
    path_.pop_back();
  }

  // `what`, a whole part of the block, differs as `why` says.
  void differs(std::string_view what, std::string_view why) {
    if (found_) return;
    path_.push_back({std::string(what), true});
    found_ = where() + ": " + std::string(why);
    path_.pop_back();
  }

 private:
  template <class T>
  void describe(const T& given, const T& read) {
    if constexpr (requires { given.index(); }) {
      if (given.index() != read.index()) return record(shown(given), shown(read));
      std::visit(
          [&](const auto& left) { describe(left, std::get<std::decay_t<decltype(left)>>(read)); },
          given);
    } else if constexpr (Shown<T>) {
      record(shown(given), shown(read));
    } else if constexpr (requires { given.has_value(); }) {
      if (given.has_value() == read.has_value()) return describe(*given, *read);
      record("", given ? "set" : "none", read ? "set" : "none");
    } else if constexpr (requires { given.begin()->first; }) {
      describe_map(given, read);
    } else if constexpr (requires {
                           given.size();
                           given[0];
                         } &&
                         !Shown<T>) {
      describe_list(given, read);
    } else {
      static_assert(HasFields<T>);
      fields(*this, given, read);
    }
  }

  template <class T>
  void describe_list(const std::vector<T>& given, const std::vector<T>& read) {
    Step& step = path_.back();
    const std::string name = step.text;
    const std::size_t common = std::min(given.size(), read.size());
    for (std::size_t i = 0; i < common; ++i) {
      if (same_value(given[i], read[i])) continue;
      step = {name + " " + std::to_string(i + 1), !Shown<T>};
      return describe(given[i], read[i]);
    }
    step = {name + " " + std::to_string(common + 1), true};
    found_ = where() + (given.size() > read.size() ? ": would not read back"
                                                   : ": would read back where the model has none");
  }

  template <class Map>
  void describe_map(const Map& given, const Map& read) {
    const std::string name = path_.back().text;
    auto left = given.begin();
    auto right = read.begin();
    for (; left != given.end() && right != read.end(); ++left, ++right) {
      if (left->first != right->first) {
        return record(shown(left->first), "another name, " + shown(right->first));
      }
      if (!same_value(left->second, right->second)) {
        path_.back() = {name + " " + shown(left->first)};
        return record(shown(left->second), shown(right->second));
      }
    }
    if (left != given.end()) return record(shown(left->first), "none");
    record("none", shown(right->first));
  }

  void record(const std::string& given, const std::string& read) { record(" ", given, read); }

  // "<where>: <fields><space><given> would read back as <read>".
  void record(std::string_view space, std::string_view given, std::string_view read) {
    std::string fields;
    for (const Step& step : std::span(path_).subspan(last_entry())) {
      if (!fields.empty()) fields += ' ';
      fields += step.text;
    }
    found_ = where() + ": " + fields;
    found_->append(space).append(given).append(" would read back as ").append(read);
  }

  // The steps up to the last entry, innermost first, then the block.
  std::string where() const {
    std::string out;
    for (std::size_t i = last_entry(); i-- > 0;) {
      out += path_[i].text;
      out += " of ";
    }
    return out + block_;
  }

  std::size_t last_entry() const {
    for (std::size_t i = path_.size(); i-- > 0;) {
      if (path_[i].entry) return i + 1;
    }
    return 0;
  }

  std::string block_;
  std::vector<Step> path_;
  std::optional<std::string> found_;
};

template <class Value>
void compare_blocks(FirstDifference& difference, std::string_view title,
                    const SectionList<Value>& given, const SectionList<Value>& read) {
  const std::string section = "'# " + std::string(title) + "'";
  difference.at(section);
  difference("line before the first block", given.lines, read.lines);
  const std::size_t common = std::min(given.items.size(), read.items.size());
  for (std::size_t i = 0; i < common && !difference.found(); ++i) {
    const auto& left = given.items[i];
    const auto& right = read.items[i];
    difference.at("block " + std::to_string(i + 1) + " of " + section);
    difference("name", left.name, right.name);
    difference.at("'## " + left.name + "' in " + section);
    fields(difference, left.value, right.value);
    difference("sub-block", left.unread_sub_block, right.unread_sub_block);
  }
  if (given.items.size() != read.items.size()) {
    difference.at(section);
    difference.differs("block " + std::to_string(common + 1),
                       given.items.size() > read.items.size()
                           ? "would not read back"
                           : "would read back where the model has none");
  }
}

void compare_meta(FirstDifference& difference, const voromel::Meta& given,
                  const voromel::Meta& read) {
  difference.at("'# Meta'");
  difference("title", given.title, read.title);
  difference("author", given.author, read.author);
  difference("description", given.description, read.description);
  difference("tag", given.tags, read.tags);
  if (!same_value(given.unread_sub_block, read.unread_sub_block)) {
    difference.differs("the sub-block", "would not read back");
  }
}

template <class Item, class Key>
bool in_order(const std::vector<Item>& items, Key key) {
  return std::is_sorted(items.begin(), items.end(),
                        [&](const Item& a, const Item& b) { return key(a) < key(b); });
}

std::optional<std::string> unordered(std::string_view list, std::string_view name,
                                     std::string_view title, std::string_view order) {
  return std::string(list) + " of '## " + std::string(name) + "' in '# " + std::string(title) +
         "' must be in " + std::string(order) + " order";
}

template <class Value>
std::optional<std::string> unordered_in(const Value& value, std::string_view name,
                                        std::string_view title) {
  const auto start = [](const auto& item) { return song::total_order_key(item.start); };
  const auto beat = [](const auto& item) { return song::total_order_key(item.beat); };
  if constexpr (std::is_same_v<Value, song::Layer>) {
    if (!in_order(value.notes, start)) return unordered("notes", name, title, "start");
  } else if constexpr (std::is_same_v<Value, song::Song>) {
    if (!in_order(value.markers, beat)) return unordered("markers", name, title, "beat");
    const auto by_name = [](const song::Param& param) -> const std::string& { return param.name; };
    if (!in_order(value.params, by_name)) return unordered("parameters", name, title, "name");
  } else if constexpr (std::is_same_v<Value, SubtitleTrack>) {
    if (!in_order(value.subtitles, beat)) return unordered("subtitles", name, title, "beat");
  }
  return std::nullopt;
}

// The lines before the first heading that `read` gives back, without the
// empty line written after the model's lines to separate them from the
// heading, which reads back as one of them.
std::vector<std::string> without_separator(const TrackDocument& given,
                                           const std::vector<std::string>& read) {
  const std::size_t count = given.leading_lines.size();
  if (read.size() == count + 1 && read.back().empty()) return {read.begin(), read.end() - 1};
  return read;
}

}  // namespace

std::string shown_text(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  out += '\'';
  return out;
}

std::optional<std::string> unordered_list(const TrackDocument& document) {
  std::optional<std::string> found;
  any_list(document.sections, [&]<class Kind>(const SectionList<typename Kind::Value>& list) {
    for (const auto& item : list.items) {
      found = unordered_in(item.value, item.name, Kind::title);
      if (found) return true;
    }
    return false;
  });
  return found;
}

std::optional<std::string> first_difference(const TrackDocument& given,
                                            const TrackDocument& read_back) {
  FirstDifference difference;
  difference.at("the document");
  difference("byte-order mark", given.has_byte_order_mark, read_back.has_byte_order_mark);
  difference.at("the lines before the first heading");
  difference("line", given.leading_lines, without_separator(given, read_back.leading_lines));
  compare_meta(difference, given.meta, read_back.meta);
  any_list(given.sections, [&]<class Kind>(const SectionList<typename Kind::Value>& list) {
    compare_blocks(difference, Kind::title, list, list_of<Kind>(read_back.sections));
    return difference.found();
  });
  difference.at("the unknown sections");
  const std::size_t common = std::min(given.unknown.size(), read_back.unknown.size());
  for (std::size_t i = 0; i < common; ++i) {
    difference.at("unknown section " + std::to_string(i + 1));
    difference("title", given.unknown[i].title, read_back.unknown[i].title);
    difference("body", given.unknown[i].body, read_back.unknown[i].body);
  }
  if (given.unknown.size() != read_back.unknown.size()) {
    difference.at("the document");
    difference.differs("unknown section " + std::to_string(common + 1),
                       given.unknown.size() > read_back.unknown.size()
                           ? "would not read back"
                           : "would read back where the model has none");
  }
  return std::move(difference).take();
}

}  // namespace voromel::track::multisong
