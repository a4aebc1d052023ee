#include "header_format/meta_section.h"

#include <string_view>

#include "header_format/outline.h"
#include "header_format/section_grammar.h"
#include "header_format/text.h"

namespace voromel::header_format {

namespace {

MetaError meta_error(MetaError::Kind kind, std::string_view text) {
  return MetaError{kind, std::string(text)};
}

// Every meta directive: its name and the field it sets, in the order they
// are written. Neither has a default.
struct MetaDirective {
  std::string_view name;
  std::optional<std::string> Meta::*field;
  std::string_view usage;
  std::string_view description;
};
constexpr MetaDirective meta_directives[] = {
    {"title", &Meta::title, "@title <text>", "The title of the document."},
    {"author", &Meta::author, "@author <text>", "Who wrote the document."},
};

Result<Ok, MetaError> read_directive(Meta& meta, std::string_view raw_line) {
  const std::string_view line = trim(raw_line);
  if (line.empty()) return Ok{};
  if (line.front() != '@') return meta_error(MetaError::Kind::NotADirective, line);
  const auto [name, rest] = split_at_first_white_space(line.substr(1));
  const std::string_view value = rest ? trim_start(*rest) : std::string_view();
  // An empty value is reported before an unknown name.
  if (value.empty()) return meta_error(MetaError::Kind::EmptyValue, name);
  for (const MetaDirective& directive : meta_directives) {
    if (directive.name != name) continue;
    meta.*directive.field = std::string(value);
    return Ok{};
  }
  return meta_error(MetaError::Kind::UnknownDirective, name);
}

std::vector<std::string> read_tags(std::span<const std::string_view> lines) {
  std::vector<std::string> tags;
  for (const std::string_view line : lines) {
    const std::string_view tag = trim(line);
    if (!tag.empty()) tags.emplace_back(tag);
  }
  return tags;
}

std::string read_description(std::span<const std::string_view> lines) {
  std::string description;
  for (const std::string_view& line : lines) {
    if (&line != &lines.front()) description += '\n';
    description += line;
  }
  return description;
}

Result<Ok, MetaError> read_block(Meta& meta, const Instance& block) {
  if (block.name == "Tags") {
    meta.tags = read_tags(block.lines);
  } else if (block.name == "Description") {
    meta.description = read_description(block.lines);
  } else {
    return meta_error(MetaError::Kind::UnknownSubsection, block.name);
  }
  if (!meta.unread_sub_block && !block.children.empty()) {
    meta.unread_sub_block = UnreadSubBlock{block.name, sub_block_heading(block.children.front())};
  }
  return Ok{};
}

void write_lines_of(std::string_view text, std::string& out) {
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string_view::npos;
       start = end + 1, end = text.find('\n', start)) {
    out.append(text.substr(start, end - start));
    out += '\n';
  }
  out.append(text.substr(start));
  out += '\n';
}

}  // namespace

std::vector<Directive> meta_directives_described() {
  std::vector<Directive> described;
  for (const MetaDirective& directive : meta_directives) {
    described.push_back({"Meta", "@" + std::string(directive.name), std::string(directive.usage),
                         std::nullopt, std::string(directive.description)});
  }
  return described;
}

std::string MetaError::text() const {
  switch (kind) {
    case Kind::EmptyValue:
      return "meta '@" + text_value + "' needs a value";
    case Kind::UnknownDirective:
      return "unknown meta directive '@" + text_value + "'";
    case Kind::NotADirective:
      return "expected a '@directive value' line, got '" + text_value + "'";
    case Kind::UnknownSubsection:
      return "unknown meta subsection '## " + text_value + "'";
  }
  return text_value;
}

Result<Meta, ParseError> read_meta(std::span<const std::string_view> lines,
                                   std::span<const Instance> blocks) {
  Meta meta;
  for (const std::string_view line : lines) {
    if (auto read = read_directive(meta, line); !read) {
      return ParseError::boxed(read.error()).at(trim(line));
    }
  }
  for (const Instance& block : blocks) {
    if (auto read = read_block(meta, block); !read) {
      return ParseError::boxed(read.error()).at(block.heading);
    }
  }
  return meta;
}

std::string_view unread_sub_block_heading(std::span<const Instance> blocks, const Meta& meta) {
  if (!meta.unread_sub_block) return {};
  for (const Instance& block : blocks) {
    if (block.name == meta.unread_sub_block->block && !block.children.empty()) {
      return block.children.front().heading;
    }
  }
  return {};
}

void write_meta(std::string& out, const Meta& meta) {
  if (meta.empty()) return;
  separate(out);
  out += "# Meta\n";
  if (meta.title || meta.author) out += '\n';
  for (const MetaDirective& directive : meta_directives) {
    if (!(meta.*directive.field)) continue;
    out += '@';
    out += directive.name;
    out += ' ';
    out += *(meta.*directive.field);
    out += '\n';
  }
  if (meta.description) {
    separate(out);
    out += "## Description\n\n";
    write_lines_of(*meta.description, out);
  }
  if (!meta.tags.empty()) {
    separate(out);
    out += "## Tags\n\n";
    for (const std::string& tag : meta.tags) {
      // A tag written at column 0 with a leading '#' would read back as a
      // heading; the reader trims the indent away again.
      if (tag.starts_with('#')) out += "  ";
      out += tag;
      out += '\n';
    }
  }
}

}  // namespace voromel::header_format

namespace voromel {

bool Meta::empty() const {
  return !title && !author && !description && tags.empty();
}

}  // namespace voromel
