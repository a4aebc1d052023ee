#include "lsp/message_reader.h"

#include <algorithm>
#include <utility>

#include "lsp/json_strings.h"

namespace voromel::lsp {

using nlohmann::json;

std::string bad_coordinate(std::string_view name) {
  return "position '" + std::string(name) + "' must be an integer from 0 to " +
         std::to_string(coordinate_limit - 1);
}

namespace {

// What a container inside "contentChanges" is to the reader of changes.
enum class Role { Changes, Change, Range, Position, Skipped };

// Builds the message's JSON value from the parser's events, as the JSON
// library's own reader does, except for the elements of the params'
// "contentChanges", which become `ContentChange`s directly. The long
// strings of a split body are put back where their placeholders are.
class MessageReader final : public nlohmann::json_sax<json> {
 public:
  explicit MessageReader(SplitBody* split)
      : split_(split), restored_(split ? split->strings.size() : 0, 0) {}

  bool null() override { return changing() ? other_scalar() : add(nullptr); }
  bool boolean(bool value) override { return changing() ? other_scalar() : add(value); }
  bool number_integer(number_integer_t value) override {
    return changing() ? other_scalar() : add(value);
  }
  bool number_unsigned(number_unsigned_t value) override {
    return changing() ? coordinate(value) : add(value);
  }
  bool number_float(number_float_t value, const string_t&) override {
    return changing() ? other_scalar() : add(value);
  }
  bool string(string_t& value) override {
    return changing() ? text(restore(value)) : add(restore(value));
  }
  bool binary(binary_t& value) override {
    return changing() ? other_scalar() : add(json::binary(std::move(value)));
  }

  bool start_object(std::size_t) override {
    if (changing()) return enter(true);
    open(json::object());
    return true;
  }
  bool key(string_t& name) override {
    // A repeated key replaces the value before it.
    if (!changing() &&
        ((stack_.size() == 1 && name == "params") || (in_params() && name == "contentChanges"))) {
      read_ = {};
    }
    key_ = std::move(name);
    return true;
  }
  bool end_object() override { return changing() ? leave() : close(); }
  bool start_array(std::size_t) override {
    if (changing()) return enter(false);
    if (in_params() && stack_.back()->is_object() && key_ == "contentChanges") {
      read_.present = true;
      roles_.push_back(Role::Changes);
      return true;
    }
    open(json::array());
    return true;
  }
  bool end_array() override { return changing() ? leave() : close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

  // The message, once the parser has read all of it; nothing when a
  // placeholder was not found exactly once.
  std::optional<Message> take() && {
    if (std::any_of(restored_.begin(), restored_.end(), [](int count) { return count != 1; })) {
      return std::nullopt;
    }
    return Message{std::move(root_), std::move(read_)};
  }

 private:
  bool changing() const { return !roles_.empty(); }
  // Whether the innermost container is the message's params.
  bool in_params() const { return stack_.size() == 2 && keys_.back() == "params"; }

  std::string restore(std::string& value) {
    if (split_ && !value.empty() && value.front() == '\x01') {
      for (std::size_t i = 0; i < split_->placeholders.size(); ++i) {
        if (value != split_->placeholders[i]) continue;
        ++restored_[i];
        return std::move(split_->strings[i]);
      }
    }
    return std::move(value);
  }

  // The JSON value, outside "contentChanges".
  template <class Value>
  bool add(Value&& value) {
    if (stack_.empty()) {
      root_ = json(std::forward<Value>(value));
    } else if (stack_.back()->is_array()) {
      stack_.back()->emplace_back(std::forward<Value>(value));
    } else {
      (*stack_.back())[key_] = json(std::forward<Value>(value));
    }
    return true;
  }
  void open(json container) {
    json* placed = nullptr;
    if (stack_.empty()) {
      root_ = std::move(container);
      placed = &root_;
    } else if (stack_.back()->is_array()) {
      placed = &stack_.back()->emplace_back(std::move(container));
    } else {
      placed = &((*stack_.back())[key_] = std::move(container));
    }
    keys_.push_back(stack_.size() == 0 || stack_.back()->is_array() ? std::string() : key_);
    stack_.push_back(placed);
  }
  bool close() {
    stack_.pop_back();
    keys_.pop_back();
    return true;
  }

  // The changes, as a client should send them:
  // [{"range":{"start":{"line":0,"character":0},"end":{...}},"text":"..."}]
  // with the range left out for a whole text. Members the reader does not
  // know are passed over.
  void refuse(std::string why) {
    if (!read_.problem) read_.problem = std::move(why);
  }

  bool enter(bool object) {
    Role role = Role::Skipped;
    switch (roles_.back()) {
      case Role::Changes:
        if (object) {
          role = Role::Change;
          change_ = {};
          has_text_ = false;
        } else {
          refuse("missing 'text'");
        }
        break;
      case Role::Change:
        if (key_ == "range" && object) {
          role = Role::Range;
          change_.range.emplace();
          has_start_ = has_end_ = false;
        } else if (key_ == "range" || key_ == "text") {
          other_scalar();
        }
        break;
      case Role::Range:
        if ((key_ == "start" || key_ == "end") && object) {
          role = Role::Position;
          in_start_ = key_ == "start";
          (in_start_ ? has_start_ : has_end_) = true;
          has_line_ = has_character_ = false;
        } else if (key_ == "start" || key_ == "end") {
          other_scalar();
        }
        break;
      case Role::Position:
        other_scalar();
        break;
      case Role::Skipped:
        break;
    }
    roles_.push_back(role);
    return true;
  }

  bool leave() {
    const Role role = roles_.back();
    roles_.pop_back();
    if (role == Role::Position && !(has_line_ && has_character_)) {
      refuse(bad_coordinate(has_line_ ? "character" : "line"));
    } else if (role == Role::Range && !(has_start_ && has_end_)) {
      refuse(std::string("missing '") + (has_start_ ? "end" : "start") + "'");
    } else if (role == Role::Change) {
      if (!has_text_) refuse("missing 'text'");
      if (!read_.problem) read_.changes.push_back(std::move(change_));
    }
    return true;
  }

  // A value of the wrong type where the reader of changes expects one.
  bool other_scalar() {
    switch (roles_.back()) {
      case Role::Changes:
        refuse("missing 'text'");
        break;
      case Role::Change:
        if (key_ == "text") refuse("'text' must be a string");
        if (key_ == "range") refuse("'range' must be an object");
        break;
      case Role::Range:
        if (key_ == "start" || key_ == "end") refuse("'" + key_ + "' must be a position");
        break;
      case Role::Position:
        if (key_ == "line" || key_ == "character") refuse(bad_coordinate(key_));
        break;
      case Role::Skipped:
        break;
    }
    return true;
  }

  bool coordinate(std::uint64_t value) {
    if (roles_.back() != Role::Position || (key_ != "line" && key_ != "character")) {
      return other_scalar();
    }
    if (value >= coordinate_limit) {
      refuse(bad_coordinate(key_));
      return true;
    }
    Position& position = in_start_ ? change_.range->start : change_.range->end;
    (key_ == "line" ? position.line : position.character) = static_cast<std::size_t>(value);
    (key_ == "line" ? has_line_ : has_character_) = true;
    return true;
  }

  bool text(std::string value) {
    if (roles_.back() != Role::Change || key_ != "text") return other_scalar();
    change_.text = std::move(value);
    has_text_ = true;
    return true;
  }

  SplitBody* split_;
  std::vector<int> restored_;
  json root_;
  // The open containers of the JSON value, and the key each is under.
  std::vector<json*> stack_;
  std::vector<std::string> keys_;
  std::string key_;

  ReadChanges read_;
  std::vector<Role> roles_;
  ContentChange change_;
  bool has_text_ = false;
  bool has_start_ = false;
  bool has_end_ = false;
  bool in_start_ = false;
  bool has_line_ = false;
  bool has_character_ = false;
};

std::optional<Message> read(std::string_view body, SplitBody* split) {
  MessageReader reader(split);
  if (!json::sax_parse(body, &reader)) return std::nullopt;
  return std::move(reader).take();
}

}  // namespace

Message read_message(std::string_view body) {
  if (auto split = split_long_strings(body)) {
    if (auto message = read(split->skeleton, &*split)) return std::move(*message);
  }
  if (auto message = read(body, nullptr)) return std::move(*message);
  return Message{json(json::value_t::discarded), {}};
}

}  // namespace voromel::lsp
