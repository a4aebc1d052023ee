#include "lsp/track_library.h"

#include "voromel/voromel.h"

#include "lsp/outline.h"

namespace voromel::lsp {

namespace {

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

// The line of an error that carries none: the heading or the text it names.
std::optional<std::size_t> line_of(std::string_view text, std::string_view message) {
  const Outline outline = outline_of(text);
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
  if (const auto line = error.line()) {
    problem.line = *line - 1;
  } else {
    problem.line = line_of(text, problem.message);
  }
  return problem;
}

}  // namespace

std::optional<TrackProblem> diagnose(std::string_view text) {
  // One read of the text, block by block as the tool's default mode reads
  // it, which gives the first error and the first refusal; it is faster
  // than reading the whole model, which the server does not need.
  auto written = format(text);
  if (!written) return problem_of(text, written.error());
  return std::nullopt;
}

CanonicalOutcome canonical_text(std::string_view text) {
  CanonicalOutcome outcome;
  auto written = format(text);
  if (!written) {
    outcome.problem = problem_of(text, written.error());
    return outcome;
  }
  outcome.changed = written.value().changed;
  outcome.text = std::move(written.value().text);
  return outcome;
}

}  // namespace voromel::lsp
