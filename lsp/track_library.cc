#include "lsp/track_library.h"

#include <voromel/voromel.h>
#include <array>
#include <charconv>

#include "lsp/outline.h"

namespace voromel::lsp {

namespace {

// The texts of errors about a whole line that a layer or motif reports
// without a message of the line's own grammar: the reader prefixes them with
// the file line alone.
constexpr std::array<std::string_view, 5> whole_line_texts = {
    "indented pitch/volume curve without a preceding note",
    "indented override without a preceding motif or subtrack instance",
    "indented motif line must be a 'pitch'/'volume' curve",
    "indented curve without a preceding motif note",
    "the pitch movement of this note cannot be written so that it reads back the same",
};

// Reads "line N: " at the start of `message`, leaving the rest.
std::optional<std::size_t> take_line_prefix(std::string_view& message) {
  constexpr std::string_view prefix = "line ";
  if (!message.starts_with(prefix)) return std::nullopt;
  const char* digits = message.data() + prefix.size();
  const char* end = message.data() + message.size();
  std::size_t number = 0;
  const auto [after, error] = std::from_chars(digits, end, number);
  if (error != std::errc() || after == digits || end - after < 2 || after[0] != ':' ||
      after[1] != ' ') {
    return std::nullopt;
  }
  message.remove_prefix(static_cast<std::size_t>(after + 2 - message.data()));
  return number;
}

bool counts_inside_block(SectionKind kind) {
  return kind == SectionKind::Songs || kind == SectionKind::Snapshots ||
         kind == SectionKind::Subtitles || kind == SectionKind::Reverb;
}

// The file line of body line `line` (from 1) of a block: the body is counted
// from its first non-blank line.
std::optional<std::size_t> body_line(const Outline& outline, const Heading& block,
                                     std::size_t line) {
  std::size_t first = block.line + 1;
  while (first < block.body_end && is_blank(outline.lines[first])) ++first;
  const std::size_t at = first + line - 1;
  if (line == 0 || at > block.last_line || at >= block.body_end) return std::nullopt;
  return at;
}

std::string block_alone(SectionKind kind, const Outline& outline, const Heading& block) {
  std::string text = "# ";
  text += section_title(kind);
  text += "\n## b\n";
  for (std::size_t line = block.line + 1; line < block.body_end; ++line) {
    text += outline.lines[line];
    text += '\n';
  }
  return text;
}

// Songs, snapshots, subtitles and reverb presets count their lines inside the
// block, and only their messages carry one line number but no message of a
// whole line. Blocks are read in file order and the first that fails stops
// the reader, so the block is the first of those kinds that fails alone with
// the same message.
std::optional<std::size_t> line_of_block_message(const Outline& outline, std::size_t line,
                                                 std::string_view message) {
  for (const Section& section : outline.sections) {
    for (const Block& block : section.blocks) {
      const Heading& heading = block.heading;
      if (!counts_inside_block(section.kind)) continue;
      const auto at = body_line(outline, heading, line);
      if (!at) continue;
      const auto alone = format(block_alone(section.kind, outline, heading));
      if (!alone && alone.error().message() == message) return at;
    }
  }
  return std::nullopt;
}

// Between the first two single quotes of `message` after `from`.
std::string_view quoted_after(std::string_view message, std::size_t from = 0) {
  const std::size_t open = message.find('\'', from);
  if (open == std::string_view::npos) return {};
  const std::size_t close = message.find('\'', open + 1);
  if (close == std::string_view::npos) return {};
  return message.substr(open + 1, close - open - 1);
}

const Section* section_titled(const Outline& outline, std::string_view title, std::size_t nth = 0) {
  for (const Section& section : outline.sections) {
    if (section.heading.title == title && nth-- == 0) return &section;
  }
  return nullptr;
}

// The first line of a heading's body whose trimmed text satisfies `wanted`.
template <class Wanted>
std::optional<std::size_t> find_in_body(const Outline& outline, const Heading& heading,
                                        Wanted wanted) {
  for (std::size_t line = heading.line + 1; line < heading.body_end; ++line) {
    if (wanted(trim_blanks(outline.lines[line]))) return line;
  }
  return std::nullopt;
}

// Refusals name the text they concern: text before a section's first block,
// a sub-block, or a repeated meta section.
std::optional<std::size_t> line_of_refusal(const Outline& outline, std::string_view message) {
  const std::string_view text = quoted_after(message);
  const std::size_t text_end = message.find('\'', 1) + 1;
  if (message.find(" sits before the first block of '# ") != std::string_view::npos) {
    const std::string_view title = trim_blanks(quoted_after(message, text_end)).substr(2);
    for (const Section& section : outline.sections) {
      if (section.heading.title != title) continue;
      auto line = find_in_body(outline, section.heading,
                               [&](std::string_view found) { return found == text; });
      if (line) return line;
    }
    return std::nullopt;
  }
  if (message.find(" sits inside '## ") != std::string_view::npos) {
    for (const Section& section : outline.sections) {
      for (const Block& block : section.blocks) {
        for (const Heading& sub : block.sub_blocks) {
          if (trim_blanks(outline.lines[sub.line]) == text) return sub.line;
        }
      }
    }
    return std::nullopt;
  }
  if (message.starts_with("'# Meta' appears ")) {
    if (const Section* second = section_titled(outline, "Meta", 1)) return second->heading.line;
  }
  return std::nullopt;
}

// Meta errors name the directive, line or block that failed.
std::optional<std::size_t> line_of_meta_error(const Outline& outline, std::string_view message) {
  const Section* meta = nullptr;
  for (const Section& section : outline.sections) {
    if (section.kind == SectionKind::Meta) meta = meta ? meta : &section;
  }
  if (!meta) return std::nullopt;
  const std::string_view quoted = quoted_after(message);
  auto directive = [&](std::string_view line) {
    return line.starts_with(quoted) && (line.size() == quoted.size() ||
                                        line[quoted.size()] == ' ' || line[quoted.size()] == '\t');
  };
  for (const Section& section : outline.sections) {
    if (section.kind != SectionKind::Meta) continue;
    std::optional<std::size_t> line;
    if (message.starts_with("unknown meta subsection '## ")) {
      for (const Block& block : section.blocks) {
        if (block.heading.title == quoted.substr(3)) return block.heading.line;
      }
    } else if (message.starts_with("expected a '@directive value' line, got ")) {
      line = find_in_body(outline, section.heading, [&](std::string_view text) {
        return text == quoted_after(message, message.find(", got ") + 1);
      });
    } else {
      line = find_in_body(outline, section.heading, directive);
    }
    if (line) return line;
  }
  return meta->heading.line;
}

std::optional<std::size_t> line_of(std::string_view text, std::string_view message) {
  const Outline outline = outline_of(text);
  std::string_view rest = message;
  if (const auto first = take_line_prefix(rest)) {
    std::string_view inner = rest;
    if (take_line_prefix(inner)) return *first - 1;
    for (const std::string_view whole : whole_line_texts) {
      if (rest.starts_with(whole)) return *first - 1;
    }
    return line_of_block_message(outline, *first, message);
  }
  if (message == "subheader without an enclosing header") return outline.skipped_depth_line;
  if (auto line = line_of_refusal(outline, message)) return line;
  if (message.starts_with("meta '@") || message.starts_with("unknown meta ") ||
      message.starts_with("expected a '@directive value' line")) {
    return line_of_meta_error(outline, message);
  }
  return std::nullopt;
}

TrackProblem problem_of(std::string_view text, const Error& error) {
  TrackProblem problem;
  problem.kind = error.refuses() ? TrackProblem::Kind::Refused : TrackProblem::Kind::Parsing;
  problem.message = error.message();
  problem.line = line_of(text, problem.message);
  return problem;
}

}  // namespace

std::optional<TrackProblem> diagnose(std::string_view text) {
  // One read of the text, block by block as the tool's default mode reads
  // it, which gives the first error and the first refusal; it is faster
  // than reading the whole model, which the server does not need.
  auto written = format(text);
  if (!written) return problem_of(text, written.error());
  if (written.value().refusal) return problem_of(text, *written.value().refusal);
  return std::nullopt;
}

CanonicalOutcome canonical_text(std::string_view text) {
  CanonicalOutcome outcome;
  auto written = format(text);
  if (!written) {
    outcome.problem = problem_of(text, written.error());
    return outcome;
  }
  if (written.value().refusal) {
    outcome.problem = problem_of(text, *written.value().refusal);
    return outcome;
  }
  outcome.changed = !written.value().same_as_input;
  outcome.text = outcome.changed ? std::move(written.value().text) : std::string(text);
  return outcome;
}

}  // namespace voromel::lsp
