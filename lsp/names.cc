#include "lsp/names.h"

#include <array>
#include <charconv>

namespace voromel::lsp {

namespace {

struct Token {
  std::string_view text;
  std::size_t begin = 0;
};

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The white-space-separated tokens of `text`, which starts at byte `offset`
// of its line.
std::vector<Token> tokens_of(std::string_view text, std::size_t offset) {
  std::vector<Token> tokens;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && is_space(text[at])) ++at;
    const std::size_t begin = at;
    while (at < text.size() && !is_space(text[at])) ++at;
    if (at > begin) tokens.push_back({text.substr(begin, at - begin), offset + begin});
  }
  return tokens;
}

bool is_number(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  if (text.empty()) return false;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  std::string folded;
  for (char c : text) folded += lower(c);
  if (folded == "inf" || folded == "infinity" || folded == "nan") return true;
  float value = 0;
  const auto [end, error] = std::from_chars(folded.data(), folded.data() + folded.size(), value);
  return end == folded.data() + folded.size() &&
         (error == std::errc() || error == std::errc::result_out_of_range);
}

class Scanner {
 public:
  Scanner(const Outline& outline, NameTargets targets, Names& names)
      : outline_(outline), targets_(targets), names_(names) {}

  void scan() {
    for (const Section& section : outline_.sections) {
      for (const Block& block : section.blocks) {
        if (names_block(section.kind)) define(section.kind, block.heading);
        for (std::size_t line = block.heading.line + 1; line < block.heading.body_end; ++line) {
          scan_line(section.kind, line);
        }
      }
    }
  }

 private:
  static bool names_block(SectionKind kind) {
    return kind == SectionKind::Layers || kind == SectionKind::Sounds ||
           kind == SectionKind::Tunings || kind == SectionKind::Waves ||
           kind == SectionKind::Motifs || kind == SectionKind::Reverb;
  }

  void define(SectionKind kind, const Heading& heading) {
    names_.definitions.push_back(
        {kind,
         heading.title,
         {heading.line, heading.title_column, heading.title_column + heading.title.size()}});
  }

  bool wanted(SectionKind kind) const { return (targets_ & target(kind)) != 0; }

  void use(SectionKind kind, std::size_t line, std::string_view name, std::size_t begin) {
    if (name.empty() || !wanted(kind)) return;
    names_.uses.push_back({kind, name, {line, begin, begin + name.size()}});
  }

  void use(SectionKind kind, std::size_t line, const Token& token) {
    use(kind, line, token.text, token.begin);
  }

  void scan_line(SectionKind kind, std::size_t number) {
    const std::string_view line = outline_.lines[number];
    // Without sounds wanted, a layer line names something only when it is a
    // directive or a placement.
    if (kind == SectionKind::Layers && !wanted(SectionKind::Sounds) && !line.empty() &&
        line.front() != '@' && line.front() != 'm' && line.front() != 's' &&
        !is_space(line.front())) {
      return;
    }
    const std::string_view trimmed = trim_blanks(line);
    if (trimmed.empty()) return;
    const auto offset = static_cast<std::size_t>(trimmed.data() - line.data());
    switch (kind) {
      case SectionKind::Songs:
        return scan_song_line(number, trimmed, offset);
      case SectionKind::Layers:
        if (trimmed.front() == '@') return scan_layer_directives(number, trimmed, offset);
        // Indented lines are curves and overrides, which name nothing.
        if (is_space(line.front())) return;
        return scan_clip_line(number, trimmed, offset);
      case SectionKind::Sounds:
        if (!wanted(SectionKind::Waves)) return;
        return scan_sound_line(number, tokens_of(trimmed, offset));
      default:
        return;
    }
  }

  // "@layer <name>": the whole rest of the line is the name.
  void scan_song_line(std::size_t number, std::string_view trimmed, std::size_t offset) {
    if (!wanted(SectionKind::Layers) || !trimmed.starts_with("@layer")) return;
    const auto tokens = tokens_of(trimmed, offset);
    if (tokens.size() < 2 || tokens[0].text != "@layer") return;
    const std::size_t begin = tokens[1].begin - offset;
    use(SectionKind::Layers, number, trimmed.substr(begin), tokens[1].begin);
  }

  // Directives of a layer, several to a line: each starts at an '@'
  // followed by a letter.
  void scan_layer_directives(std::size_t number, std::string_view trimmed, std::size_t offset) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at + 1 < trimmed.size(); ++at) {
      const char next = trimmed[at + 1];
      if (trimmed[at] == '@' && ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'))) {
        starts.push_back(at);
      }
    }
    for (std::size_t i = 0; i < starts.size(); ++i) {
      const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : trimmed.size();
      const std::string_view directive = trimmed.substr(starts[i] + 1, end - starts[i] - 1);
      const auto tokens = tokens_of(directive, offset + starts[i] + 1);
      if (tokens.size() < 2) continue;
      if (tokens[0].text == "tuning") {
        // The value is kept verbatim: everything up to the next directive.
        const std::size_t begin = tokens[1].begin - offset;
        use(SectionKind::Tunings, number, trim_blanks(trimmed.substr(begin, end - begin)),
            tokens[1].begin);
      } else if (tokens[0].text == "effect" && tokens.size() >= 3 && tokens[1].text == "reverb" &&
                 !is_number(tokens[2].text)) {
        use(SectionKind::Reverb, number, tokens[2]);
      }
    }
  }

  // "motif <motif> <start> <sound> [transpose x] [tuning t]",
  // "subtrack <layer> <start> [qualifier] [transpose x] [tuning t]", or a
  // note "<sound> <start> <pitch> <duration> ...".
  void scan_clip_line(std::size_t number, std::string_view trimmed, std::size_t offset) {
    std::size_t first_end = 0;
    while (first_end < trimmed.size() && !is_space(trimmed[first_end])) ++first_end;
    const std::string_view kind = trimmed.substr(0, first_end);
    // Most lines are notes: read no further than their sound.
    if (kind != "motif" && kind != "subtrack") {
      use(SectionKind::Sounds, number, kind, offset);
      return;
    }
    const auto tokens = tokens_of(trimmed, offset);
    if (tokens.size() < 2) return;
    const bool motif = kind == "motif";
    use(motif ? SectionKind::Motifs : SectionKind::Layers, number, tokens[1]);
    std::size_t next = 3;
    if (motif && tokens.size() > 3) {
      use(SectionKind::Sounds, number, tokens[3]);
      next = 4;
    } else if (!motif && tokens.size() > 3 && tokens[3].text != "transpose" &&
               tokens[3].text != "tuning") {
      next = 4;
    }
    for (; next + 1 < tokens.size(); next += 2) {
      if (tokens[next].text == "tuning") use(SectionKind::Tunings, number, tokens[next + 1]);
      if (tokens[next].text != "tuning" && tokens[next].text != "transpose") return;
    }
  }

  // Harmonics "<wave>[@multiplier] <weight>" or "wave[@multiplier] <wave>
  // <weight>", and the shape of "@vibrato" and "@tremolo".
  void scan_sound_line(std::size_t number, const std::vector<Token>& tokens) {
    if (tokens.empty()) return;
    const std::string_view first = tokens[0].text;
    if (first == "@vibrato" || first == "@tremolo") {
      if (tokens.size() > 3) use(SectionKind::Waves, number, tokens[3]);
      return;
    }
    if (first.starts_with('@')) return;
    if (first == "wave" || first.starts_with("wave@")) {
      if (tokens.size() > 1) use(SectionKind::Waves, number, tokens[1]);
      return;
    }
    use(SectionKind::Waves, number, first.substr(0, first.find('@')), tokens[0].begin);
  }

  const Outline& outline_;
  NameTargets targets_;
  Names& names_;
};

bool contains(const NamePlace& place, std::size_t line, std::size_t column) {
  return place.line == line && column >= place.begin && column <= place.end;
}

// Unicode white space beyond ASCII, as UTF-8: U+0085, U+00A0, U+1680,
// U+2000 to U+200A, U+2028, U+2029, U+202F, U+205F and U+3000.
bool has_unicode_space(std::string_view name) {
  constexpr std::array<std::string_view, 19> spaces = {
      "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81",
      "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86",
      "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xA8",
      "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80",
  };
  for (const std::string_view space : spaces) {
    if (name.find(space) != std::string_view::npos) return true;
  }
  return false;
}

bool is_audio_file_name(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension;
  for (char c : name.substr(dot + 1)) {
    extension += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return extension == "wav" || extension == "mp3" || extension == "ogg" || extension == "flac";
}

}  // namespace

bool reads_as_number(std::string_view token) {
  return is_number(token);
}

Names names_of(const Outline& outline, NameTargets targets) {
  Names names;
  Scanner(outline, targets, names).scan();
  return names;
}

std::optional<NameAt> name_at(const Names& names, std::size_t line, std::size_t column) {
  for (const NameUse& use : names.uses) {
    if (contains(use.place, line, column)) return NameAt{use.target, use.name};
  }
  for (const NameDefinition& definition : names.definitions) {
    if (contains(definition.place, line, column)) {
      return NameAt{definition.section, definition.name};
    }
  }
  return std::nullopt;
}

std::vector<NamePlace> definitions_of(const Names& names, const NameAt& name) {
  std::vector<NamePlace> places;
  for (const NameDefinition& definition : names.definitions) {
    if (definition.section == name.section && definition.name == name.name) {
      places.push_back(definition.place);
    }
  }
  return places;
}

std::vector<NamePlace> uses_of(const Names& names, const NameAt& name) {
  std::vector<NamePlace> places;
  for (const NameUse& use : names.uses) {
    if (use.target == name.section && use.name == name.name) places.push_back(use.place);
  }
  return places;
}

std::optional<std::string> unusable_name(SectionKind section, std::string_view name) {
  const std::string quoted = "'" + std::string(name) + "'";
  if (name.empty()) return std::string("a block name cannot be empty");
  for (const char c : name) {
    if (is_space(c) || c == '\n') return quoted + " holds white space; a name is one word";
  }
  if (has_unicode_space(name)) return quoted + " holds white space; a name is one word";
  if (name.front() == '#') return quoted + " starts with '#', which would make a heading";
  if (name.find('@') != std::string_view::npos) {
    return quoted + " holds '@', which starts a directive or a multiplier";
  }
  if (section == SectionKind::Reverb && is_number(name)) {
    return quoted + " reads as a number, which '@effect reverb' takes as a room size";
  }
  if (section == SectionKind::Sounds &&
      (name == "motif" || name == "subtrack" || is_audio_file_name(name))) {
    return quoted + " would make a note line read as something else";
  }
  if (section == SectionKind::Waves) {
    constexpr std::array<std::string_view, 6> built_in = {"wave", "tri",   "square",
                                                          "sub",  "fifth", "octave"};
    for (const std::string_view word : built_in) {
      if (name == word) return quoted + " is a built-in wave word of harmonic lines";
    }
  }
  if (section == SectionKind::Tunings && (name == "transpose" || name == "tuning")) {
    return quoted + " is a keyword of placement lines";
  }
  return std::nullopt;
}

}  // namespace voromel::lsp
