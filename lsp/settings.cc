#include "lsp/settings.h"

#include <array>

namespace voromel::lsp {

namespace {

using enum SectionKind;

constexpr std::array settings = {
    Setting{Meta, "title", "none", "@title <text>"},
    Setting{Meta, "author", "none", "@author <text>"},
    Setting{Songs, "tempo", "120", "@tempo <bpm> [<end bpm>] | @tempo param <name> [<scale>]"},
    Setting{Songs, "signature", "4 4", "@signature <beats per bar> [<beat unit>]"},
    Setting{Songs, "seed", "none", "@seed <unsigned integer>"},
    Setting{Songs, "param", "none (a parameter's default is 0)", "@param <name> [<default>]"},
    Setting{Songs, "length", "none", "@length <beats>"},
    Setting{Songs, "layer", "none", "@layer <layer name>"},
    Setting{Songs, "marker", "none", "@marker <beat> <name>"},
    Setting{Songs, "jump", "none", "@jump <target> [<clauses>]"},
    Setting{Songs, "jump-at", "none", "@jump-at <beat or marker> <target> [<clauses>]"},
    Setting{Layers, "volume", "1", "@volume <factor> | @volume param <name> [<scale>]"},
    Setting{Layers, "pan", "0", "@pan <position>"},
    Setting{Layers, "mute", "false", "@mute <bool>"},
    Setting{Layers, "solo", "false", "@solo <bool>"},
    Setting{Layers, "loop", "none (skip 0)", "@loop <length> [skip <skip>]"},
    Setting{Layers, "tuning", "none", "@tuning <tuning name>"},
    Setting{Layers, "root", "440", "@root <frequency>"},
    Setting{Layers, "effect", "none", "@effect <effect>"},
    Setting{Sounds, "sample", "none", "@sample \"<file>\" [<range>]"},
    Setting{Sounds, "voice", "none", "@voice <preset> [<parameter> <value>]..."},
    Setting{Sounds, "arpeggio", "none", "@arpeggio <offset>... rate <steps per second>"},
    Setting{Sounds, "distortion", "0", "@distortion <amount>"},
    Setting{Sounds, "detune", "0", "@detune <amount>"},
    Setting{Sounds, "vol-jitter", "0", "@vol-jitter <amount>"},
    Setting{Sounds, "steps", "0", "@steps <count>"},
    Setting{Sounds, "attack", "0 ease", "@attack <duration> [<curve>]"},
    Setting{Sounds, "decay", "0 ease", "@decay <duration> [<curve>]"},
    Setting{Sounds, "sustain", "1", "@sustain <level>"},
    Setting{Sounds, "release", "0 ease", "@release <duration> [<curve>]"},
    Setting{Sounds, "noise", "0", "@noise <amount>"},
    Setting{Sounds, "vibrato", "none (depth 0)", "@vibrato <rate> <depth> [<wave>]"},
    Setting{Sounds, "tremolo", "none (depth 0)", "@tremolo <rate> <depth> [<wave>]"},
    Setting{Sounds, "slide", "0 0", "@slide <amount> <time>"},
    Setting{Sounds, "filter", "0 (off)", "@filter <cutoff> [<env> [<duration> [<curve>]]]"},
    Setting{Sounds, "duty_sweep", "0", "@duty_sweep <amount>"},
    Setting{Sounds, "volume", "1", "@volume <factor>"},
    Setting{Reverb, "room_size", "0.5", "room_size <0 to 1>"},
    Setting{Reverb, "decay", "0.7", "decay <0 to 1>"},
    Setting{Reverb, "mix", "0.4", "mix <0 to 1>"},
    Setting{Reverb, "predelay", "0.01", "predelay <seconds, 0 or more>"},
};

}  // namespace

std::span<const Setting> settings_of(SectionKind section) {
  std::size_t begin = 0;
  while (begin < settings.size() && settings[begin].section != section) ++begin;
  std::size_t end = begin;
  while (end < settings.size() && settings[end].section == section) ++end;
  return std::span<const Setting>(settings).subspan(begin, end - begin);
}

const Setting* find_setting(SectionKind section, std::string_view name) {
  for (const Setting& setting : settings_of(section)) {
    if (setting.name == name) return &setting;
  }
  return nullptr;
}

bool settings_are_directives(SectionKind section) {
  return section != SectionKind::Reverb;
}

}  // namespace voromel::lsp
