#include "lsp/diagnostics.h"

#include <algorithm>
#include <array>
#include <optional>

#include "lsp/positions.h"

namespace voromel::lsp {

namespace {

// Layers, motifs and tunings have no built-in names: a name of one that no
// block defines is most likely a slip. Sounds, waves and reverb presets may
// name what the player brings along.
constexpr std::array<NameKind, 4> hinted = {NameKind::Layer, NameKind::Subtrack, NameKind::Motif,
                                            NameKind::Tuning};

void add_undefined_names(std::string_view text, const Reading& reading, PositionEncoding encoding,
                         std::vector<Diagnostic>& diagnostics) {
  const std::vector<NamePlace> undefined = reading.undefined_uses(hinted);
  // Most documents have no hint: the index of their lines is not built.
  if (undefined.empty()) return;
  const LineIndex index(text, encoding);
  for (const NamePlace& name : undefined) {
    Diagnostic hint;
    hint.range = index.range_of(name.span.begin, name.span.end);
    hint.severity = DiagnosticSeverity::Hint;
    hint.message = "no block '## " +
                   std::string(text.substr(name.span.begin, name.span.end - name.span.begin)) +
                   "' in '# " + std::string(section_title(*defining_section(name.kind))) + "'";
    diagnostics.push_back(std::move(hint));
  }
}

// Where the line from 0 `line` starts; the text's end past its last line.
std::size_t line_start(std::string_view text, std::size_t line) {
  std::size_t at = 0;
  for (; line > 0 && at < text.size(); --line) {
    const std::size_t end = text.find('\n', at);
    at = end == std::string_view::npos ? text.size() : end + 1;
  }
  return at;
}

// The whole line of a problem, found without indexing the lines of the
// whole text; a line past the text's last is taken as its last.
Range problem_range(std::string_view text, const Error& problem, PositionEncoding encoding) {
  std::size_t line = problem.line() ? *problem.line() - 1 : 0;
  std::size_t start = line_start(text, line);
  if (start == text.size() && line > 0) {
    line = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    start = line == 0 ? 0 : text.rfind('\n') + 1;
  }
  std::string_view rest = text.substr(start);
  rest = rest.substr(0, std::min(rest.find('\n'), rest.size()));
  if (rest.ends_with('\r')) rest.remove_suffix(1);
  const LineIndex index(rest, encoding);
  const Position end = index.position_of(index.line_end(0));
  return {{line, 0}, {line, end.character}};
}

}  // namespace

std::vector<Diagnostic> diagnostics_of(std::string_view text, Reading& reading,
                                       PositionEncoding encoding) {
  std::vector<Diagnostic> diagnostics;
  reading.read(text);
  const auto& problem = reading.problem();
  if (!problem) {
    add_undefined_names(text, reading, encoding, diagnostics);
    return diagnostics;
  }
  Diagnostic diagnostic;
  diagnostic.range = problem_range(text, *problem, encoding);
  diagnostic.severity =
      problem->refuses() ? DiagnosticSeverity::Warning : DiagnosticSeverity::Error;
  diagnostic.message = problem->message();
  diagnostics.push_back(std::move(diagnostic));
  return diagnostics;
}

}  // namespace voromel::lsp
