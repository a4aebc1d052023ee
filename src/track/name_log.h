#pragma once

#include <string_view>
#include <vector>

#include "voromel/structure.h"

// The names the readers meet, noted for the structure of a document while
// one is asked for; when none is, noting costs one test.
namespace voromel::track {

// A name as a reader met it: a view into the text it reads.
struct MetName {
  NameKind kind;
  bool defines;
  std::string_view text;
};

// What the readers met: names, and the tokens read as numbers.
struct Met {
  std::vector<MetName> names;
  std::vector<std::string_view> numbers;
};

class NameLog {
 public:
  // Notes what the readers meet on this thread into `met` while it lives.
  explicit NameLog(Met& met) : previous_(current_) { current_ = &met; }
  ~NameLog() { current_ = previous_; }
  NameLog(const NameLog&) = delete;
  NameLog& operator=(const NameLog&) = delete;

  static void use(NameKind kind, std::string_view text) {
    if (current_) current_->names.push_back({kind, false, text});
  }
  static void define(NameKind kind, std::string_view text) {
    if (current_) current_->names.push_back({kind, true, text});
  }
  static void number(std::string_view text) {
    if (current_) current_->numbers.push_back(text);
  }

 private:
  Met* previous_;
  static thread_local Met* current_;
};

}  // namespace voromel::track
