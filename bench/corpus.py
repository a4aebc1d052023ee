"""Seeded generators of documents for the benchmarks and the output
comparison: soundtracks of a given size, the shapes that stress one part of
the model, and small random documents, valid and mutated, in the current and
the pre-0.20 layout. Every generator takes a random.Random, so that one seed
gives the same corpus on every machine."""
import random

SOUNDS = ["lead", "bass", "kick", "snare", "pad", "pluck", "choir", "hat"]
CURVES = ["linear", "ease", "ease-in", "ease-out"]


def num(rng, low, high, digits=2):
    value = round(rng.uniform(low, high), digits)
    return f"{value:g}" if abs(value) >= 1e-4 else "0"


def note_line(rng, start, with_sound=True):
    parts = [rng.choice(SOUNDS)] if with_sound else []
    parts += [num(rng, 0, 0, 0) if start == 0 else f"{start:g}", str(rng.randint(24, 96)),
              rng.choice(["0.25", "0.5", "1", "1.5", "2"])]
    roll = rng.random()
    if roll < 0.08:
        parts += ["volume", num(rng, 0.1, 0.9)]
    elif roll < 0.12:
        parts += ["glide", str(rng.randint(-5, 5) or 1), rng.choice(CURVES)]
    elif roll < 0.14:
        parts += ["repeat", str(rng.randint(2, 8))]
    elif roll < 0.15:
        parts += ["arpeggio", "0", "4", "7", "rate", "8"]
    line = " ".join(parts)
    if rng.random() < 0.02:
        line += "\n  volume 0 1, 0.5 0.2, 1 0 linear"
    return line


def layer_block(rng, name, notes):
    lines = [f"## {name}"]
    if rng.random() < 0.5:
        lines.append(f"@volume {num(rng, 0.2, 0.9)} @pan {num(rng, -0.5, 0.5)}")
    start = 0.0
    for _ in range(notes):
        lines.append(note_line(rng, start))
        start += rng.choice([0.25, 0.5, 1, 2])
    if rng.random() < 0.3:
        lines.append(f"motif riff{rng.randint(0, 9)} {start:g} {rng.choice(SOUNDS)}")
    return lines


def song_block(rng, name, layers):
    lines = [f"## {name}", f"@tempo {rng.randint(60, 180)}", f"@param energy {num(rng, 0, 1)}"]
    lines += [f"@layer {layer}" for layer in layers]
    for i in range(rng.randint(2, 6)):
        lines.append(f"@marker {i * 16} part{i}")
    lines.append("@jump-at part1 part0 if energy >= 0.75")
    return lines


def motif_block(rng, name, notes):
    lines = [f"## {name}"]
    start = 0.0
    for _ in range(notes):
        lines.append(note_line(rng, start, with_sound=False))
        start += rng.choice([0.25, 0.5, 1])
    return lines


def sound_block(rng, name):
    lines = [f"## {name}", f"sine {num(rng, 0.2, 1)}", f"sine@2 {num(rng, 0.1, 0.5)}",
             f"@attack {num(rng, 0.001, 0.1, 3)}", f"@decay {num(rng, 0.1, 0.5)}"]
    if rng.random() < 0.5:
        lines.append(f"@vibrato {rng.randint(2, 8)} {num(rng, 0.1, 0.5)}")
    return lines


def tuning_block(rng, name):
    if rng.random() < 0.5:
        return [f"## {name}", f"equal {rng.choice([12, 19, 24, 31])}"]
    return [f"## {name}", "1 1.125 1.25 1.333 1.5 1.667 1.875"]


def wave_block(rng, name):
    points = sorted(round(rng.random(), 3) for _ in range(6))
    return [f"## {name}", "0 0"] + [f"{x:g} {num(rng, -1, 1)}" for x in points] + ["1 0"]


def snapshot_block(rng, name):
    return [f"## {name}", f"energy {num(rng, 0, 1)}", f"volume {num(rng, 0, 1)}"]


def soundtrack(rng, target_bytes):
    """A document of about `target_bytes` like a game's generated soundtrack:
    songs over layers of hundreds of notes, motifs, sounds, tunings, waves and
    snapshots. Not necessarily canonical: the tool makes it so."""
    layers, motifs, sounds, songs, rest = [], [], [], [], []
    size = 0
    index = 0
    while size < target_bytes:
        block = layer_block(rng, f"layer{index}", rng.randint(100, 400))
        layers += block
        size += sum(len(line) + 1 for line in block)
        if index % 10 == 0:
            names = [f"layer{j}" for j in range(max(0, index - 9), index + 1)]
            songs += song_block(rng, f"song{index // 10}", names)
            motifs += motif_block(rng, f"riff{index // 10}", rng.randint(8, 32))
        if index % 4 == 0:
            sounds += sound_block(rng, f"sound{index}")
        index += 1
    tunings = [line for i in range(20) for line in tuning_block(rng, f"tuning{i}")]
    waves = [line for i in range(20) for line in wave_block(rng, f"wave{i}")]
    snapshots = [line for i in range(20) for line in snapshot_block(rng, f"snap{i}")]
    parts = ["# Meta", "@title Soundtrack", "# Songs", *songs, "# Layers", *layers,
             "# Sounds", *sounds, "# Tunings", *tunings, "# Waves", *waves, "# Motifs", *motifs,
             "# Snapshots", *snapshots, *rest]
    return "\n".join(parts) + "\n"


def untidy(canonical):
    """The text with one doubled space in every note line of the layers, so
    that a rewrite touches all of it."""
    out = []
    in_layers = False
    for line in canonical.split("\n"):
        if line.startswith("# "):
            in_layers = line == "# Layers"
        elif in_layers and line and line[0] not in "#@ " and " " in line:
            line = line.replace(" ", "  ", 1)
        out.append(line)
    return "\n".join(out)


# Shapes that stress one part of the model, each about `n` lines.
def song_markers(n):
    return "# Songs\n## main\n@tempo 120\n" + "".join(
        f"@marker {n - i} marker{i}\n" for i in range(n))


def song_params(n):
    return "# Songs\n## main\n@tempo 120\n" + "".join(
        f"@param p{n - i:07} 0.{i % 9 + 1}\n" for i in range(n))


def layer_notes_reversed(n):
    return "# Layers\n## bass\n" + "".join(
        f"electric_bass {n - i} {36 + i % 24} 1\n" for i in range(n))


def one_line_sounds(n):
    return "# Sounds\n" + "".join(f"## s{i}\nsine 1\n" for i in range(n))


def repeated_section_title(n):
    return "".join(f"# Songs\n## s{i}\n@tempo 120\n" for i in range(n))


ADVERSARIAL = [
    ("many markers", song_markers),
    ("many parameters", song_params),
    ("notes in reverse order", layer_notes_reversed),
    ("one-line sound blocks", one_line_sounds),
    ("one section title repeated", repeated_section_title),
]


def adversarial(make, target_bytes):
    """The shape at about `target_bytes`."""
    per_unit = len(make(10000)) / 10000
    return make(max(1, int(target_bytes / per_unit)))


# Small random documents for comparing two builds.
def random_number(rng):
    return rng.choice([
        "0", "-0", "1", "0.5", "-2.5", "120", "1e3", "1E-7", ".5", "5.", "+2", "nan", "-inf",
        "inf", "1e39", "1e-46", "16777217", "0.1000", "3.4028236e38", "00012", "1.0000001",
        str(rng.randint(-100, 100)), f"{rng.uniform(-1000, 1000):.{rng.randint(0, 9)}f}",
        f"{rng.uniform(-1, 1):e}"])


def random_body(rng, title):
    n = random_number
    if title == "Songs":
        pool = [f"@tempo {n(rng)}", f"@tempo {n(rng)} {n(rng)}", f"@layer l{rng.randint(0, 3)}",
                f"@marker {n(rng)} m{rng.randint(0, 3)}", f"@param p {n(rng)}",
                f"@jump-at m1 m0 if p >= {n(rng)}", f"@jump-at {n(rng)} m0",
                f"@volume {n(rng)}", "@time 3/4", f"@subtitles s{rng.randint(0, 2)}"]
    elif title in ("Layers", "Motifs"):
        sound = "lead " if title == "Layers" else ""
        pool = [f"{sound}{n(rng)} {n(rng)} {n(rng)}",
                f"{sound}{n(rng)} 60 1 glide {n(rng)} {rng.choice(CURVES + ['step'])}",
                f"{sound}0 60 1 volume {n(rng)} repeat {rng.randint(0, 5)}",
                f"{sound}1 62 2 vol-ramp {n(rng)}", f'{sound}0 60 1 "hello  world"',
                f"{sound}0 60 1 arpeggio {n(rng)} 4 rate {n(rng)}",
                f"  pitch 0 0, {n(rng)} {n(rng)}, 1 2 linear", f"  volume 0 1, 1 {n(rng)}",
                f"@volume {n(rng)} @pan {n(rng)}", f"@effect echo {n(rng)} 0.4 0.3",
                "@effect reverb hall", f"@loop {n(rng)} skip {n(rng)}", "@tuning just",
                f"motif riff {n(rng)} lead", f"  {rng.randint(0, 3)} pitch {n(rng)}",
                f"  trim {rng.randint(0, 3)} {rng.randint(0, 3)}", "  2 skip",
                f"subtrack sub {n(rng)} x"]
    elif title == "Sounds":
        pool = [f"sine {n(rng)}", f"square@{rng.randint(1, 4)} {n(rng)}", f"@attack {n(rng)}",
                f"@decay {n(rng)}", f"@vibrato {n(rng)} {n(rng)}", '@sample "a.wav" @ 0..64',
                f"@volume {n(rng)}", f"@arpeggio 0 4 rate {n(rng)}", f"noise {n(rng)}",
                f"@slide {n(rng)} {n(rng)}", f"@filter lowpass {n(rng)}"]
    elif title == "Tunings":
        pool = [f"{n(rng)} {n(rng)} 3/2", f"equal {rng.choice([0, 1, 12, 19, 70000])}",
                f"period {n(rng)}", "1 9/8 5/4"]
    elif title == "Waves":
        pool = [f"{n(rng)} {n(rng)}", f"{n(rng)} {n(rng)} {rng.choice(CURVES)}"]
    elif title == "Subtitles":
        pool = [f"{n(rng)} some text", f"{n(rng)}  two  spaces"]
    elif title == "Snapshots":
        pool = [f"p{rng.randint(0, 5)} {n(rng)}", f"volume {n(rng)}"]
    elif title == "Reverb":
        pool = [f"{rng.choice(['room_size', 'decay', 'mix', 'predelay', 'damping'])} {n(rng)}"]
    else:
        pool = ["free text", "more  text"]
    return [rng.choice(pool) for _ in range(rng.randint(0, 6))]


TITLES = ["Songs", "Layers", "Sounds", "Tunings", "Waves", "Subtitles", "Motifs", "Snapshots",
          "Reverb", "Notes", "Meta"]


def random_document(rng):
    lines = []
    if rng.random() < 0.25:
        # The pre-0.20 layout: song directives before the first section.
        lines += rng.choice([["@tempo 90 120"], ["@tempo 120", "@marker 16 chorus"], []])
        lines += [f"@jump-at 32 songs/{rng.choice(['a', 'b'])}.track"] if rng.random() < 0.3 else []
    for _ in range(rng.randint(1, 5)):
        title = rng.choice(TITLES)
        lines.append(f"# {title}")
        if title == "Meta":
            lines += rng.choice([["@title T"], ["@author A", "## Tags", "x"], []])
            continue
        for b in range(rng.randint(0, 3)):
            lines.append(f"## {rng.choice(['a', 'b', 'l0', 'riff', 'main'])}{b}")
            if title == "Sounds" and rng.random() < 0.2:
                lines[-1] = f"{rng.choice(SOUNDS)}: sine 1, decay 0.2"
            lines += random_body(rng, title)
            if rng.random() < 0.1:
                lines.append("")
    mark = "\ufeff" if rng.random() < 0.03 else ""
    return mark + "\n".join(lines) + ("\n" if rng.random() < 0.9 else "")


def mutate(rng, text):
    data = bytearray(text.encode())
    for _ in range(rng.randint(1, 4)):
        choice = rng.random()
        at = rng.randint(0, len(data))
        if choice < 0.3:
            data[at:at] = rng.choice([b" ", b"  ", b"\t", b"\r", b"\n", b"#", b"@", b"\"",
                                      b"\xc2\xa0", b"\xff", b"-", b"e", b".", b"0"])
        elif choice < 0.5 and data:
            del data[at:at + rng.randint(1, 3)]
        elif choice < 0.7 and data:
            end = min(len(data), at + rng.randint(1, 20))
            data[at:at] = data[at:end]
        else:
            lines = data.split(b"\n")
            if len(lines) > 2:
                i, j = rng.randrange(len(lines)), rng.randrange(len(lines))
                lines[i], lines[j] = lines[j], lines[i]
            data = bytearray(b"\n".join(lines))
    return bytes(data)
