#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "header_format/result.h"
#include "track/multisong/track_sections.h"

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

using FileOutcome = header_format::Result<FileDone, FileFailure>;

// The path as typed, with ill-formed UTF-8 shown as U+FFFD.
std::string display_path(std::string_view path);

// "Reading {}: {}"
header_format::Result<std::string, FileFailure> read_step(const std::string& path);

// "Parsing {}: {}"
header_format::Result<track::multisong::TrackDocument, FileFailure> parse_step(
    const std::string& path, std::string_view text);

}  // namespace voromel::cli
