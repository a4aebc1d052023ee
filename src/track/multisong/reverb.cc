#include "track/multisong/reverb.h"

#include "header_format/text.h"
#include "track/body_lines.h"
#include "track/directive_names.h"
#include "track/number_text.h"
#include "track/scalars.h"

namespace voromel::track::multisong {

namespace {

// NaN passes unchanged; negative zero stays.
float clamp_to_unit(float value) {
  if (value < 0) return 0;
  if (value > 1) return 1;
  return value;
}

// A negative or NaN delay becomes 0.
float clamp_to_non_negative(float value) {
  return value >= 0 ? value : 0;
}

struct ReverbSetting {
  std::string_view key;
  float ReverbPreset::*field;
  float (*clamp)(float);
};

// In the order they are written.
constexpr ReverbSetting reverb_settings[] = {
    {"room_size", &ReverbPreset::room_size, clamp_to_unit},
    {"decay", &ReverbPreset::decay, clamp_to_unit},
    {"mix", &ReverbPreset::mix, clamp_to_unit},
    {"predelay", &ReverbPreset::predelay, clamp_to_non_negative},
};

// The value is read before the key is looked at, so a line with a bad key
// and a bad value reports the value.
LineResult<header_format::Ok> apply_reverb_line(ReverbPreset& preset, std::string_view line,
                                                std::size_t line_number) {
  const auto [key, rest] = header_format::split_at_first_white_space(line);
  const std::string_view value_text = rest.value_or("");
  const auto value = parse_float(header_format::trim(value_text), line_number, "reverb value");
  if (!value) {
    return ParseError::line(line_number, "invalid reverb value '" + std::string(value_text) + "'");
  }
  for (const ReverbSetting& setting : reverb_settings) {
    if (setting.key != key) continue;
    preset.*setting.field = setting.clamp(value.value());
    return header_format::Ok{};
  }
  return ParseError::line(line_number, "unknown reverb key '" + std::string(key) + "'");
}

}  // namespace

header_format::Result<ReverbPreset, header_format::ParseError> ReverbSection::parse(
    std::span<const std::string_view> lines) {
  return parse_body<ReverbPreset>(lines, LineErrorWrap::Boxed, apply_reverb_line);
}

std::vector<std::string_view> reverb_setting_names() {
  std::vector<std::string_view> names;
  for (const ReverbSetting& setting : reverb_settings) names.push_back(setting.key);
  return names;
}

void ReverbSection::serialize(const ReverbPreset& preset, std::string& out) {
  for (const ReverbSetting& setting : reverb_settings) {
    out += setting.key;
    out += ' ';
    append_plain_number(out, preset.*setting.field);
    out += '\n';
  }
}

}  // namespace voromel::track::multisong
