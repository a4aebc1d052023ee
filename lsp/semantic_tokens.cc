#include "lsp/semantic_tokens.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <exception>
#include <numeric>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>

#include <voromel/structure.h>

#include "lsp/positions.h"

namespace voromel::lsp {

namespace {

enum TokenType : std::uint32_t { SectionHeading, BlockHeading, Keyword, Number, Name };

// Lines and byte columns fit 32 bits: a message body is far smaller.
struct Token {
  std::uint32_t line;
  std::uint32_t begin;
  std::uint32_t end;
  TokenType type;
};

// The tokens of the lines [first_line, end_line), as the library reads the
// text: headings, directives, numbers and names.
class TokenSource {
 public:
  TokenSource(const LineIndex& index, std::size_t first_line, std::size_t end_line)
      : index_(index), first_line_(first_line), end_line_(end_line), near_(first_line) {}

  std::vector<Token> tokens_of(const Structure& structure) {
    tokens_.reserve(structure.numbers.size() + structure.names.size() +
                    structure.directives.size() + end_line_ - first_line_);
    for (const SectionPlace& section : structure.sections) {
      add(section.heading, SectionHeading);
      if (section.kind == SectionKind::Unknown) continue;
      for (const BlockPlace& block : section.blocks) add(block.heading, BlockHeading);
    }
    for (const TextSpan& directive : structure.directives) add(directive, Keyword);
    for (const TextSpan& number : structure.numbers) add(number, Number);
    for (const NamePlace& name : structure.names) {
      if (!name.defines || name.kind == NameKind::Parameter || name.kind == NameKind::Marker) {
        add(name.span, Name);
      }
    }
    return std::move(tokens_);
  }

 private:
  void add(TextSpan span, TokenType type) {
    const std::size_t line = line_of(span.begin);
    if (line < first_line_ || line >= end_line_) return;
    const std::size_t start = index_.line_start(line);
    tokens_.push_back({static_cast<std::uint32_t>(line),
                       static_cast<std::uint32_t>(span.begin - start),
                       static_cast<std::uint32_t>(span.end - start), type});
  }

  // Most tokens come in file order: the line of the one before is tried
  // first, then the next.
  std::size_t line_of(std::size_t offset) {
    for (std::size_t line = near_; line < near_ + 2; ++line) {
      if (index_.line_start(line) <= offset &&
          (line + 1 >= index_.line_count() || offset < index_.line_start(line + 1))) {
        return near_ = line;
      }
    }
    return near_ = index_.line_of(offset);
  }

  const LineIndex& index_;
  std::size_t first_line_;
  std::size_t end_line_;
  std::vector<Token> tokens_;
  std::size_t near_;
};

// Tokens in the protocol's relative encoding, written as JSON numbers into
// pieces of 64 KiB.
class Encoder {
 public:
  Encoder(std::string_view text, const LineIndex& index) : text_(text), index_(index) {}

  // Adds the tokens of lines that follow those added before.
  void add(std::vector<Token>& tokens) {
    sort(tokens);
    drop_overlaps(tokens);
    // Columns are counted on from the previous token of the line, so that a
    // line is walked once however many tokens it holds.
    std::size_t line = SIZE_MAX;
    std::size_t line_start = 0;
    std::size_t counted_to = 0;
    std::size_t column = 0;
    bool ascii = false;
    for (const Token& next : tokens) {
      if (next.line != line) {
        line = next.line;
        line_start = index_.line_start(line);
        counted_to = line_start;
        column = 0;
        // In a line of ASCII, a byte is a unit in every encoding.
        const std::string_view bytes = text_.substr(line_start, index_.line_end(line) - line_start);
        ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0; });
      }
      std::size_t length = next.end - next.begin;
      if (ascii) {
        column = next.begin;
      } else {
        column += index_.units_between(counted_to, line_start + next.begin);
        counted_to = line_start + next.begin;
        length = index_.units_between(counted_to, line_start + next.end);
      }
      if (length == 0) continue;
      const std::size_t line_delta = line - previous_.line;
      append({line_delta, line_delta == 0 ? column - previous_.character : column, length,
              static_cast<std::size_t>(next.type), 0});
      if (!first_line_) first_line_ = line;
      previous_ = {line, column};
    }
  }

  // Adds the tokens of `after`, an encoder of the lines that follow these
  // which started from the top of the text: its first token's line is then
  // counted from the last token here instead.
  void append(Encoder&& after) {
    if (!after.first_line_) return;
    if (first_line_) {
      std::string& head = after.pieces_.front();
      const std::size_t digits = head.find(',');
      head.replace(0, digits, std::to_string(*after.first_line_ - previous_.line));
      head.insert(head.begin(), ',');
    } else {
      first_line_ = after.first_line_;
    }
    for (std::string& piece : after.pieces_) pieces_.push_back(std::move(piece));
    previous_ = after.previous_;
  }

  std::vector<std::string> take() && { return std::move(pieces_); }

 private:
  static constexpr std::size_t piece_size = 1 << 16;

  // By line, counted into their lines, then by place within each line,
  // which holds a few. At one place, a later type wins: types are in the
  // order they are added.
  void sort(std::vector<Token>& tokens) {
    if (tokens.empty()) return;
    const auto [low, high] =
        std::minmax_element(tokens.begin(), tokens.end(),
                            [](const Token& a, const Token& b) { return a.line < b.line; });
    const std::size_t first = low->line;
    counts_.assign(high->line - first + 2, 0);
    for (const Token& token : tokens) ++counts_[token.line - first + 1];
    std::partial_sum(counts_.begin(), counts_.end(), counts_.begin());
    sorted_.resize(tokens.size());
    for (const Token& token : tokens) sorted_[counts_[token.line - first]++] = token;
    for (auto line = sorted_.begin(); line != sorted_.end();) {
      const auto next = std::find_if(line, sorted_.end(),
                                     [&](const Token& token) { return token.line != line->line; });
      std::sort(line, next, [](const Token& a, const Token& b) {
        return std::tie(a.begin, a.type) < std::tie(b.begin, b.type);
      });
      line = next;
    }
    tokens.swap(sorted_);
  }

  // Tokens may not overlap: a name replaces the word at its place, and a
  // token inside another is dropped.
  static void drop_overlaps(std::vector<Token>& tokens) {
    std::size_t kept = 0;
    for (const Token& next : tokens) {
      Token* last = kept > 0 ? &tokens[kept - 1] : nullptr;
      if (last && last->line == next.line && next.begin < last->end) {
        if (next.begin == last->begin) *last = next;
        continue;
      }
      tokens[kept++] = next;
    }
    tokens.resize(kept);
  }

  void append(std::array<std::size_t, 5> values) {
    if (pieces_.empty() || pieces_.back().size() >= piece_size) {
      pieces_.emplace_back().reserve(piece_size + 128);
    }
    std::array<char, 128> digits;
    char* end = digits.data();
    for (const std::size_t value : values) {
      if (!first_) *end++ = ',';
      first_ = false;
      if (value < 10) {
        *end++ = static_cast<char>('0' + value);
      } else {
        end = std::to_chars(end, digits.data() + digits.size(), value).ptr;
      }
    }
    pieces_.back().append(digits.data(), end);
  }

  std::string_view text_;
  const LineIndex& index_;
  std::vector<std::size_t> counts_;
  std::vector<Token> sorted_;
  Position previous_;
  bool first_ = true;
  std::optional<std::size_t> first_line_;
  std::vector<std::string> pieces_;
};

// Lines are read in slices of about this many, each slice up to the end of
// the blocks it reaches into, so that a block is read once.
constexpr std::size_t slice_lines = 1024;

// The lines [first_line, end_line) into `encoder`.
void encode_lines(Encoder& encoder, const Reading& reading, const LineIndex& index,
                  std::size_t first_line, std::size_t end_line) {
  for (std::size_t line = first_line; line < end_line;) {
    const Structure structure =
        reading.structure(line + 1, std::min(line + slice_lines, end_line) + 1);
    const std::size_t covered = structure.first_line + structure.lines.size() - 1;
    const std::size_t slice_end = std::min(end_line, covered > line ? covered : line + slice_lines);
    std::vector<Token> tokens = TokenSource(index, line, slice_end).tokens_of(structure);
    encoder.add(tokens);
    line = slice_end;
  }
}

}  // namespace

std::vector<std::string> semantic_tokens(std::string_view text, const Reading& reading,
                                         const LineIndex& index, std::size_t first_line,
                                         std::size_t end_line, std::size_t parallel_from) {
  end_line = std::min(end_line, index.line_count());
  Encoder encoder(text, index);
  if (end_line - std::min(first_line, end_line) >= parallel_from &&
      std::thread::hardware_concurrency() >= 2) {
    // The reading and the index are only read, by both threads.
    const std::size_t middle = first_line + (end_line - first_line) / 2;
    Encoder second(text, index);
    std::exception_ptr failure;
    std::thread worker;
    try {
      worker = std::thread([&] {
        try {
          encode_lines(second, reading, index, middle, end_line);
        } catch (...) {
          failure = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      // Without a thread, the lines are read on this one.
    }
    if (worker.joinable()) {
      try {
        encode_lines(encoder, reading, index, first_line, middle);
      } catch (...) {
        worker.join();
        throw;
      }
      worker.join();
      if (failure) std::rethrow_exception(failure);
      encoder.append(std::move(second));
      return std::move(encoder).take();
    }
  }
  encode_lines(encoder, reading, index, first_line, end_line);
  return std::move(encoder).take();
}

}  // namespace voromel::lsp
