#include "track/multisong/reverb.h"

#include "header_format/text.h"
#include "track/body_lines.h"
#include "track/described_directives.h"
#include "track/directive_table.h"
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

template <float ReverbPreset::*field>
void setting_value(std::string& out, const ReverbPreset& preset) {
  append_plain_number(out, preset.*field);
}

struct ReverbSetting {
  std::string_view name;
  float ReverbPreset::*field;
  float (*clamp)(float);
  DirectiveHelp<ReverbPreset> help;
};

// In the order they are written; all four are written, defaults included.
constexpr ReverbSetting reverb_settings[] = {
    {"room_size",
     &ReverbPreset::room_size,
     clamp_to_unit,
     {"room_size <0 to 1>", setting_value<&ReverbPreset::room_size>, "The size of the room."}},
    {"decay",
     &ReverbPreset::decay,
     clamp_to_unit,
     {"decay <0 to 1>", setting_value<&ReverbPreset::decay>, "How long the reverb lasts."}},
    {"mix",
     &ReverbPreset::mix,
     clamp_to_unit,
     {"mix <0 to 1>", setting_value<&ReverbPreset::mix>, "How much of the reverb is heard."}},
    {"predelay",
     &ReverbPreset::predelay,
     clamp_to_non_negative,
     {"predelay <seconds, 0 or more>", setting_value<&ReverbPreset::predelay>,
      "The delay before the reverb sets in."}},
};

// The value is read before the key is looked at, so a line with a bad key
// and a bad value reports the value.
LineResult<voromel::Ok> apply_reverb_line(ReverbPreset& preset, std::string_view line,
                                          std::size_t line_number) {
  const auto [key, rest] = header_format::split_at_first_white_space(line);
  const std::string_view value_text = rest.value_or("");
  const auto value = parse_float(header_format::trim(value_text), line_number, "reverb value");
  if (!value) {
    return ParseError::line(line_number, "invalid reverb value '" + std::string(value_text) + "'");
  }
  for (const ReverbSetting& setting : reverb_settings) {
    if (setting.name != key) continue;
    preset.*setting.field = setting.clamp(value.value());
    return voromel::Ok{};
  }
  return ParseError::line(line_number, "unknown reverb key '" + std::string(key) + "'");
}

}  // namespace

voromel::Result<ReverbPreset, header_format::ParseError> ReverbSection::parse(
    std::span<const std::string_view> lines) {
  return parse_body<ReverbPreset>(lines, LineErrorWrap::Boxed, apply_reverb_line);
}

std::vector<Directive> reverb_settings_described(std::string_view section) {
  return describe_rows<ReverbPreset>(section, "", reverb_settings);
}

void ReverbSection::serialize(const ReverbPreset& preset, std::string& out) {
  for (const ReverbSetting& setting : reverb_settings) {
    out += setting.name;
    out += ' ';
    append_plain_number(out, preset.*setting.field);
    out += '\n';
  }
}

}  // namespace voromel::track::multisong
