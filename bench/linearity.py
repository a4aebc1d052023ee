#!/usr/bin/env python3
"""Shows that the tool's cost grows linearly with its input: for each shape
of document, runs the optimised tool on the shape at n and at 4n, counting
instructions with callgrind and the peak memory, and prints the ratios
(linear is about 4; the goal is at most about 4.5). Nesting n levels takes
about n^2 / 2 bytes of '#' marks, so that shape is also given per input byte.

Usage: bench/linearity.py [path/to/release/voromel]   (needs valgrind)
Build first with: cmake --workflow --preset release
"""
import os
import pathlib
import re
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent


def song_markers(n):
    # Written in reverse, so that the writer sorts them.
    lines = ["# Songs", "## main", "@tempo 120"]
    lines += [f"@marker {n - i} m{i}" for i in range(n)]
    return "\n".join(lines) + "\n"


def song_parameters(n):
    lines = ["# Songs", "## main", "@tempo 120"]
    lines += [f"@param p{n - i} 1" for i in range(n)]
    return "\n".join(lines) + "\n"


def layer_notes_reversed(n):
    lines = ["# Layers", "## bass"]
    # Lines too long for std::string's inline buffer at every size, so that
    # the allocations per line do not change with n.
    lines += [f"electric_bass {n - i} {36 + i % 24} 1" for i in range(n)]
    return "\n".join(lines) + "\n"


def repeated_section_titles(n):
    # Known and unknown titles, each repeated n / 2 times.
    parts = []
    for i in range(n // 2):
        parts.append(f"# Songs\n## s{i}\n@tempo 120\n# Notes\ntext {i}\n")
    return "".join(parts)


def repeated_block_names(n):
    return "# Songs\n" + "".join("## same\n@tempo 120\n" for _ in range(n))


def nesting_levels(n):
    return "# Notes\n" + "".join("#" * (level + 2) + " level\ntext\n" for level in range(n))


def arpeggio_offsets(n):
    offsets = " ".join(str(i % 13) for i in range(n))
    return f"# Motifs\n## m\n0 60 1  arpeggio {offsets} rate 8\n"


def pitch_curve_points(n):
    points = ", ".join(f"{i / n} {i % 5}" for i in range(n))
    return f"# Layers\n## l\nlead 0 60 1\n  pitch {points}\n"


def wave_vertices(n):
    return "# Waves\n## w\n" + "".join(f"{i / n} {i % 7}\n" for i in range(n))


def subtitles_reversed(n):
    return "# Subtitles\n## s\n" + "".join(f"{n - i} line number {i}\n" for i in range(n))


def snapshot_values_reversed(n):
    return "# Snapshots\n## s\n" + "".join(f"p{n - i:07} {i}\n" for i in range(n))


def tuning_ratios(n):
    return "# Tunings\n## t\n" + " ".join(f"{i + 1}/{i + 2}" for i in range(n)) + "\n"


def sound_harmonics(n):
    return "# Sounds\n## s\n" + "".join(f"sine@{i + 1} 0.5\n" for i in range(n))


def meta_tags(n):
    return "# Meta\n## Tags\n" + "".join(f"tag{i}\n" for i in range(n))


def layer_directive_line(n):
    settings = " ".join(f"@effect echo 0.25 0.4 0.{i % 9 + 1}" for i in range(n))
    return f"# Layers\n## l\n{settings}\nlead 0 60 1\n"


def note_options(n):
    options = " ".join(f"volume 0.{i % 9 + 1}" for i in range(n))
    return f"# Layers\n## l\nlead 0 60 1 {options}\n"


def quoted_note_text(n):
    words = " ".join(f"word{i}" for i in range(n))
    return f'# Layers\n## l\nlead 0 60 1 "{words}"\n'


SHAPES = [
    ("song with n markers", song_markers, 100_000),
    ("song with n parameters", song_parameters, 100_000),
    ("layer with n notes in reverse order", layer_notes_reversed, 100_000),
    ("n repeated section titles", repeated_section_titles, 10_000),
    ("n blocks of the same name", repeated_block_names, 10_000),
    ("n nesting levels", nesting_levels, 1_000),
    ("a line of n arpeggio offsets", arpeggio_offsets, 100_000),
    ("a pitch curve of n points", pitch_curve_points, 100_000),
    ("a wave of n vertices", wave_vertices, 100_000),
    ("n subtitles in reverse order", subtitles_reversed, 100_000),
    ("a snapshot of n values in reverse order", snapshot_values_reversed, 100_000),
    ("a line of n tuning ratios", tuning_ratios, 100_000),
    ("a sound of n harmonics", sound_harmonics, 100_000),
    ("n tags", meta_tags, 100_000),
    ("a layer line of n effects", layer_directive_line, 10_000),
    ("a note line of n options", note_options, 100_000),
    ("a note text of n words", quoted_note_text, 100_000),
]


def run_once(tool, text, measure):
    with tempfile.TemporaryDirectory() as folder:
        path = pathlib.Path(folder) / "bench.track"
        path.write_text(text, encoding="utf-8")
        return measure(tool, path)


def instructions(tool, path):
    result = subprocess.run(
        ["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null", tool, str(path)],
        capture_output=True, text=True)
    if "Reformatted" not in result.stderr:
        tail = result.stderr.strip().splitlines()[-1:]
        raise SystemExit(f"the tool did not rewrite the file: {tail}")
    return int(re.search(r"Collected : (\d+)", result.stderr).group(1))


def peak_memory_kb(tool, path):
    result = subprocess.run(["/usr/bin/time", "-f", "%M", tool, str(path)],
                            capture_output=True, text=True)
    return int(result.stderr.strip().splitlines()[-1])


def main():
    tool = sys.argv[1] if len(sys.argv) > 1 else str(ROOT / "build/release/voromel")
    if not os.access(tool, os.X_OK):
        raise SystemExit(f"no tool at {tool}: build it with 'cmake --workflow --preset release'")
    base = run_once(tool, "# Notes\n## x\n", instructions)
    print(f"start-up and a tiny file: {base:,} instructions")
    print(f"{'shape':40} {'n':>7} {'instr. at n':>13} {'at 4n':>13} {'ratio':>6} "
          f"{'bytes ratio':>11} {'memory ratio':>12}")
    for name, make, n in SHAPES:
        small_text, large_text = make(n), make(4 * n)
        small = run_once(tool, small_text, instructions) - base
        large = run_once(tool, large_text, instructions) - base
        memory_small = run_once(tool, small_text, peak_memory_kb)
        memory_large = run_once(tool, large_text, peak_memory_kb)
        print(f"{name:40} {n:>7} {small:>13,} {large:>13,} {large / small:>6.2f} "
              f"{len(large_text) / len(small_text):>11.2f} {memory_large / memory_small:>12.2f}")


if __name__ == "__main__":
    main()
