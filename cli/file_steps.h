#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <voromel/result.h>
#include "canonical_text.h"
#include "cli/file_io.h"
#include "voromel/voromel.h"

// The steps both modes take for one file, each turning its failure into the
// message that stops the run.
namespace voromel::cli {

// A file handled: a line to report ("Reformatted a.track"), or none.
struct FileDone {
  std::optional<std::string> report;
};

// The message that stops the run ("Parsing a.track: ..."). Messages are kept
// raw; the driver escapes them when it prints them.
struct FileFailure {
  std::string message;
};

using FileOutcome = voromel::Result<FileDone, FileFailure>;

// How the tool reads a text and writes it in canonical form. The tool always
// uses `voromel::canonical_text`; tests substitute a faulty one to see the read-back
// check fire.
using Formatter = Result<CanonicalText, Error> (*)(std::string_view text);

// The path as typed, with ill-formed UTF-8 shown as U+FFFD.
std::string display_path(std::string_view path);

// "Reading {}: {}"
voromel::Result<FileText, FileFailure> read_step(const std::string& path);

// "Parsing {}: {}" for a text that does not read, "Refusing {}: {}" for one
// the tool will not write, "Upgrading {}: {}" for one it cannot lift.
FileFailure failure(const std::string& path, const Error& error);

// "Refusing {}: {}" with the path as typed and the reason.
FileFailure refusing(std::string_view path, std::string_view reason);

// The last step before anything is written: the text must read and be
// canonical already, as `format` sees it. Otherwise "Refusing {}: internal
// error: ..." with the path as typed.
voromel::Result<voromel::Ok, FileFailure> read_back_step(const std::string& path,
                                                         std::string_view written,
                                                         Formatter format);

}  // namespace voromel::cli
