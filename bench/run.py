#!/usr/bin/env python3
"""Builds the optimised tool, generates seeded corpora and measures the tool
side by side with awk (mawk: '{$1=$1}1', which reads and splits every line):
median wall times over several runs, alternated so that both see the same
machine, the ratios, MB/s and peak memory (GNU time).

Rows:
  canonical   a soundtrack of SIZE MB that is already canonical (nothing written)
  untidy      the same with every note line untidy, so all of it is rewritten
              (read-back check and fsync included)
  small       FILES canonical files of about FILE_KB each, in one invocation
  shapes      stressing shapes at SHAPE MB and 4 x SHAPE MB, each rewritten:
              time(4n) / time(n) and peak memory / file size

Usage: bench/run.py [--size MB] [--files N] [--file-kb KB] [--shape MB]
                    [--runs N] [--seed N] [--tool PATH] [--no-build] [--work DIR]
"""
import argparse
import os
import pathlib
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import corpus  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent


def measure(command, before=None):
    """(wall seconds, peak RSS in KB, CPU seconds) of one run; `before`
    prepares it untimed."""
    if before:
        before()
    with tempfile.NamedTemporaryFile() as report:
        start = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-v", "-o", report.name, *command],
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wall = time.perf_counter() - start
        if result.returncode != 0:
            raise SystemExit(f"{command[0]} failed: {result.stderr.decode(errors='replace')[:300]}")
        fields = {}
        for line in pathlib.Path(report.name).read_text().splitlines():
            name, _, value = line.strip().rpartition(": ")
            fields[name] = value
        return (wall, int(fields["Maximum resident set size (kbytes)"]),
                float(fields["User time (seconds)"]) + float(fields["System time (seconds)"]))


def side_by_side(runs, tool_run, awk_run):
    """Median (wall, RSS) of the tool and of awk, run alternately."""
    tool, awk = [], []
    for _ in range(runs):
        tool.append(tool_run())
        awk.append(awk_run())
    median = lambda samples: tuple(statistics.median(s[i] for s in samples) for i in range(3))
    return median(tool), median(awk)


def awk_command(paths):
    return ["awk", "{$1=$1}1", *map(str, paths)]


def make_canonical(tool, paths):
    subprocess.run([tool, *map(str, paths)], check=True, stderr=subprocess.DEVNULL)
    check = subprocess.run([tool, *map(str, paths)], capture_output=True, text=True)
    if check.returncode != 0 or check.stderr:
        raise SystemExit(f"corpus does not settle: {check.stderr[:300]}")


def verdict(value, must, target):
    return "target met" if value <= target else ("must met" if value <= must else "MISSED")


def mb(size):
    return size / 1e6


def row(name, tool, awk, size, must, target):
    ratio = tool[0] / awk[0]
    rss = tool[1] * 1024
    print(f"{name:38} voromel {tool[0]:7.3f} s {mb(size) / tool[0]:7.1f} MB/s "
          f"peak {rss / 1e6:7.1f} MB ({rss / size:5.2f}x file) | awk {awk[0]:6.3f} s "
          f"peak {awk[1] / 1024:5.1f} MB | time/awk {ratio:5.2f} "
          f"(must <= {must}, target <= {target}: {verdict(ratio, must, target)}); "
          f"CPU time {tool[2]:.2f} s / awk {awk[2]:.2f} s = {tool[2] / max(awk[2], 0.01):.2f}")
    return ratio, rss / size


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--size", type=float, default=30, help="soundtrack MB")
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--file-kb", type=float, default=20)
    parser.add_argument("--shape", type=float, default=2, help="smaller shape size, MB")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seed", type=int, default=14)
    parser.add_argument("--tool", default=str(ROOT / "build/release/voromel"))
    parser.add_argument("--no-build", action="store_true")
    parser.add_argument("--work", help="directory for the corpora (default: a fresh temporary one)")
    args = parser.parse_args()

    if not args.no_build:
        subprocess.run(["cmake", "--workflow", "--preset", "release"], cwd=ROOT, check=True,
                       stdout=subprocess.DEVNULL)
    tool = args.tool
    work = pathlib.Path(args.work or tempfile.mkdtemp(prefix="voromel-bench-"))
    work.mkdir(parents=True, exist_ok=True)
    rng = random.Random(args.seed)

    big = work / "soundtrack.track"
    big.write_text(corpus.soundtrack(rng, int(args.size * 1e6)), encoding="utf-8")
    make_canonical(tool, [big])
    canonical_text = big.read_text(encoding="utf-8")
    untidy_master = work / "untidy.master"
    untidy_master.write_text(corpus.untidy(canonical_text), encoding="utf-8")
    untidy = work / "untidy.track"

    small_dir = work / "small"
    small_dir.mkdir(exist_ok=True)
    small = []
    for i in range(args.files):
        path = small_dir / f"f{i:05}.track"
        path.write_text(corpus.soundtrack(rng, int(args.file_kb * 1000)), encoding="utf-8")
        small.append(path)
    make_canonical(tool, small)

    size = big.stat().st_size
    lines = canonical_text.count("\n")
    print(f"seed {args.seed}, {args.runs} runs each, medians; tool {tool}")
    print(f"soundtrack {mb(size):.1f} MB, {lines / 1e6:.2f} M lines; "
          f"{args.files} small files, {mb(sum(p.stat().st_size for p in small)):.1f} MB")

    tool_run = lambda: measure([tool, str(big)])
    awk_run = lambda: measure(awk_command([big]))
    row("canonical soundtrack, nothing written", *side_by_side(args.runs, tool_run, awk_run),
        size, 1.0, 0.6)
    print(f"{'':38} peak RSS / file size: must <= 3, target <= 1.5")

    fresh = lambda: shutil.copyfile(untidy_master, untidy)
    tool_run = lambda: measure([tool, str(untidy)], fresh)
    awk_run = lambda: measure(awk_command([untidy_master]))
    row("untidy copy, all rewritten", *side_by_side(args.runs, tool_run, awk_run),
        untidy_master.stat().st_size, 2.5, 1.5)

    small_size = sum(p.stat().st_size for p in small)
    tool_run = lambda: measure([tool, *map(str, small)])
    awk_run = lambda: measure(awk_command(small))
    row(f"{args.files} small canonical files", *side_by_side(args.runs, tool_run, awk_run),
        small_size, 1.0, 0.5)

    print("stressing shapes, rewritten: time(4n)/time(n) must <= 5, target <= 4.5; "
          "peak RSS / file size must <= 6, target <= 3")
    for name, make in corpus.ADVERSARIAL:
        results = []
        for scale in (1, 4):
            master = work / f"shape.master"
            master.write_text(corpus.adversarial(make, int(args.shape * scale * 1e6)), encoding="utf-8")
            target = work / "shape.track"
            fresh = lambda: shutil.copyfile(master, target)
            tool_result, awk_result = side_by_side(
                args.runs, lambda: measure([tool, str(target)], fresh),
                lambda: measure(awk_command([master])))
            results.append((tool_result, awk_result, master.stat().st_size))
        (t1, a1, s1), (t4, a4, s4) = results
        growth = t4[0] / t1[0]
        rss_ratio = t4[1] * 1024 / s4
        print(f"  {name:28} {mb(s1):5.1f} MB {t1[0]:6.3f} s, {mb(s4):5.1f} MB {t4[0]:6.3f} s: "
              f"time(4n)/time(n) {growth:4.2f} ({verdict(growth, 5, 4.5)}), "
              f"awk {a4[0] / a1[0]:4.2f}; peak {t1[1] / 1024:6.1f} / {t4[1] / 1024:6.1f} MB, "
              f"RSS/file at 4n {rss_ratio:5.2f} ({verdict(rss_ratio, 6, 3)}); "
              f"time/awk at 4n {t4[0] / a4[0]:5.2f}; CPU time(4n)/time(n) "
              f"{t4[2] / max(t1[2], 0.01):4.2f}")
    if not args.work:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
