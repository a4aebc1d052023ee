#!/usr/bin/env python3
"""Builds the optimised tool, generates seeded corpora and measures the tool
side by side with mawk ('{$1=$1}1', which reads and splits every line), and
with a baseline build of the tool when one is given: median wall times over
several runs, alternated so that all see the same machine, the ratios to
mawk, MB/s, peak memory, minor page faults and system time (GNU time).
Exits with 1 when the tool misses a must. mawk is run by that name; without it the script refuses to run.

Rows:
  canonical   a soundtrack of SIZE MB that is already canonical (nothing written)
  untidy      the same with every note line untidy, so all of it is rewritten
              (read-back check and fsync included)
  small       FILES canonical files of about FILE_KB each, in one invocation
  shapes      stressing shapes at SHAPE MB and 4 x SHAPE MB, each rewritten:
              time(4n) / time(n) and peak memory / file size

Musts: canonical and small files time/mawk <= 0.9, untidy time/mawk <= 2.2,
peak RSS <= 1.2 x the file (canonical) and <= 3 x (untidy), at most 1,000
minor page faults (canonical); shapes time(4n)/time(n) <= 5 and peak RSS
<= 6 x the file.

Usage: bench/run.py [--size MB] [--files N] [--file-kb KB] [--shape MB]
                    [--runs N] [--seed N] [--tool PATH] [--baseline TOOL]
                    [--no-build] [--work DIR] [--keep-corpus]
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


# What measure() gives, in this order.
WALL, RSS, CPU, FAULTS, SYSTEM = range(5)


def measure(command, before=None):
    """(wall seconds, peak RSS in KB, CPU seconds, minor page faults, system
    seconds) of one run; `before` prepares it untimed."""
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
        system = float(fields["System time (seconds)"])
        return (wall, int(fields["Maximum resident set size (kbytes)"]),
                float(fields["User time (seconds)"]) + system,
                int(fields["Minor (reclaiming a frame) page faults"]), system)


def alternated(runs, commands):
    """Median of each measure() field for each command, the commands run in turn run
    after run so that all of them see the same machine."""
    samples = [[] for _ in commands]
    for _ in range(runs):
        for taken, command in zip(samples, commands):
            taken.append(command())
    median = lambda taken: tuple(statistics.median(s[i] for s in taken) for i in range(SYSTEM + 1))
    return [median(taken) for taken in samples]


def find_mawk():
    """mawk by its own name: plain `awk` is gawk wherever gawk is installed,
    which splits lines at another speed, and the musts are set against mawk."""
    mawk = shutil.which("mawk")
    if not mawk:
        raise SystemExit("bench/run.py: mawk is not installed, and the musts are set against it "
                         "(another awk would not do): apt-get install mawk")
    return mawk


def mawk_command(mawk, paths):
    return [mawk, "{$1=$1}1", *map(str, paths)]


def make_canonical(tool, paths):
    subprocess.run([tool, *map(str, paths)], check=True, stderr=subprocess.DEVNULL)
    check = subprocess.run([tool, *map(str, paths)], capture_output=True, text=True)
    if check.returncode != 0 or check.stderr:
        raise SystemExit(f"corpus does not settle: {check.stderr[:300]}")


def verdict(value, must, target):
    return "target met" if value <= target else ("must met" if value <= must else "MISSED")


def mb(size):
    return size / 1e6


class Musts:
    """Every must checked in the run; the run fails when one is missed."""

    def __init__(self):
        self.missed = []

    def check(self, what, value, must, target, digits=2):
        result = verdict(value, must, target)
        if result == "MISSED":
            self.missed.append(f"{what} {value:.{digits}f} > {must}")
        return f"{value:5.{digits}f} (must <= {must}, target <= {target}: {result})"


def faults_and_system(result):
    return f"{result[FAULTS]} minor faults, system {result[SYSTEM]:.3f} s"


def row(musts, name, measured, size, must, target, rss_must=None, faults_must=None):
    """One line per build: its time and memory, and its ratios to mawk; the
    musts are the tool's, the baseline's ratios are shown beside them."""
    *builds, mawk = measured
    print(f"{name}: mawk {mawk[0]:6.3f} s, peak {mawk[1] / 1024:5.1f} MB, CPU {mawk[2]:.2f} s, "
          f"{faults_and_system(mawk)}")
    for (label, _), result in zip(BUILDS, builds):
        ratio = result[0] / mawk[0]
        rss = result[1] * 1024
        is_tool = label == "voromel"
        time_text = (musts.check(f"{name}: time/mawk", ratio, must, target) if is_tool
                     else f"{ratio:5.2f}")
        rss_text = f"{rss / size:5.2f}x file"
        if rss_must and is_tool:
            rss_text = "RSS/file " + musts.check(f"{name}: peak RSS/file", rss / size, rss_must,
                                                 rss_must / 2)
        faults_text = faults_and_system(result)
        if faults_must and is_tool:
            checked = musts.check(f"{name}: minor faults", result[FAULTS], faults_must,
                                  faults_must, digits=0)
            faults_text = f"minor faults {checked}, system {result[SYSTEM]:.3f} s"
        print(f"  {label:9} {result[0]:7.3f} s {mb(size) / result[0]:7.1f} MB/s "
              f"peak {rss / 1e6:7.1f} MB ({rss_text}) | time/mawk {time_text}; "
              f"CPU/mawk {result[2] / max(mawk[2], 0.01):.2f}; {faults_text}")


# (label, path) of the builds timed: the tool, and the baseline when given.
BUILDS = []


def corpus_settings(args):
    return f"seed {args.seed} size {args.size} files {args.files} file-kb {args.file_kb}\n"


def make_corpora(args, tool, work):
    """The soundtrack, its untidy copy and the small files, made canonical by
    `tool`; those of an earlier run in the same folder with the same settings
    are reused."""
    stamp = work / "corpus.settings"
    big = work / "soundtrack.track"
    untidy_master = work / "untidy.master"
    small = [work / "small" / f"f{i:05}.track" for i in range(args.files)]
    if stamp.exists() and stamp.read_text() == corpus_settings(args):
        print(f"reusing the corpora in {work}")
        # Canonical for this build of the tool too.
        make_canonical(tool, [big, *small])
        return big, untidy_master, small
    stamp.unlink(missing_ok=True)
    rng = random.Random(args.seed)
    big.write_text(corpus.soundtrack(rng, int(args.size * 1e6)), encoding="utf-8")
    make_canonical(tool, [big])
    untidy_master.write_text(corpus.untidy(big.read_text(encoding="utf-8")), encoding="utf-8")
    (work / "small").mkdir(exist_ok=True)
    for path in small:
        path.write_text(corpus.soundtrack(rng, int(args.file_kb * 1000)), encoding="utf-8")
    make_canonical(tool, small)
    stamp.write_text(corpus_settings(args))
    return big, untidy_master, small


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--size", type=float, default=30, help="soundtrack MB")
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--file-kb", type=float, default=20)
    parser.add_argument("--shape", type=float, default=2, help="smaller shape size, MB")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seed", type=int, default=14)
    parser.add_argument("--tool", default=str(ROOT / "build/release/voromel"))
    parser.add_argument("--baseline", metavar="TOOL",
                        help="another build of the tool (the one before a change), timed in turn "
                             "with the tool and mawk")
    parser.add_argument("--no-build", action="store_true")
    parser.add_argument("--work", help="directory for the corpora, kept and reused by later runs "
                                       "with the same settings (default: a fresh temporary one)")
    parser.add_argument("--keep-corpus", action="store_true",
                        help="keep the temporary directory of the corpora and print its name")
    args = parser.parse_args()

    mawk = find_mawk()
    if not args.no_build:
        subprocess.run(["cmake", "--workflow", "--preset", "release"], cwd=ROOT, check=True,
                       stdout=subprocess.DEVNULL)
    tool = args.tool
    BUILDS.append(("voromel", tool))
    if args.baseline:
        if not os.access(args.baseline, os.X_OK):
            raise SystemExit(f"bench/run.py: the baseline {args.baseline} is not an executable")
        BUILDS.append(("baseline", args.baseline))
    work = pathlib.Path(args.work or tempfile.mkdtemp(prefix="voromel-bench-"))
    work.mkdir(parents=True, exist_ok=True)
    big, untidy_master, small = make_corpora(args, tool, work)
    untidy = work / "untidy.track"
    musts = Musts()

    size = big.stat().st_size
    lines = big.read_bytes().count(b"\n")
    print(f"seed {args.seed}, {args.runs} runs each, medians; mawk {mawk}; "
          + "; ".join(f"{label} {path}" for label, path in BUILDS))
    print(f"soundtrack {mb(size):.1f} MB, {lines / 1e6:.2f} M lines; "
          f"{args.files} small files, {mb(sum(p.stat().st_size for p in small)):.1f} MB")

    def timed(paths, before=None, mawk_paths=None):
        runs = [lambda path=path: measure([path, *map(str, paths)], before)
                for _, path in BUILDS]
        runs.append(lambda: measure(mawk_command(mawk, mawk_paths or paths)))
        return alternated(args.runs, runs)

    row(musts, "canonical soundtrack, nothing written", timed([big]), size, 0.9, 0.5, rss_must=1.2,
        faults_must=1000)

    fresh = lambda: shutil.copyfile(untidy_master, untidy)
    row(musts, "untidy copy, all rewritten", timed([untidy], fresh, [untidy_master]),
        untidy_master.stat().st_size, 2.2, 1.5, rss_must=3)

    small_size = sum(p.stat().st_size for p in small)
    row(musts, f"{args.files} small canonical files", timed(small), small_size, 0.9, 0.5)

    print("stressing shapes, rewritten: time(4n)/time(n) must <= 5, target <= 4.5; "
          "peak RSS / file size at 4n must <= 6, target <= 3")
    for name, make in corpus.ADVERSARIAL:
        results = []
        for scale in (1, 4):
            master = work / "shape.master"
            master.write_text(corpus.adversarial(make, int(args.shape * scale * 1e6)),
                              encoding="utf-8")
            target = work / "shape.track"
            fresh = lambda: shutil.copyfile(master, target)
            results.append((timed([target], fresh, [master]), master.stat().st_size))
        (m1, s1), (m4, s4) = results
        a1, a4 = m1[-1], m4[-1]
        print(f"  {name:28} {mb(s1):5.1f} MB, {mb(s4):5.1f} MB; mawk time(4n)/time(n) "
              f"{a4[0] / a1[0]:4.2f}")
        for (label, _), t1, t4 in zip(BUILDS, m1, m4):
            growth = t4[0] / t1[0]
            rss_ratio = t4[1] * 1024 / s4
            is_tool = label == "voromel"
            growth_text = (musts.check(f"{name}: time(4n)/time(n)", growth, 5, 4.5) if is_tool
                           else f"{growth:5.2f}")
            rss_text = (musts.check(f"{name}: peak RSS/file", rss_ratio, 6, 3) if is_tool
                        else f"{rss_ratio:5.2f}")
            print(f"    {label:9} {t1[0]:6.3f} s, {t4[0]:6.3f} s: time(4n)/time(n) {growth_text}; "
                  f"peak {t1[1] / 1024:6.1f} / {t4[1] / 1024:6.1f} MB, RSS/file at 4n "
                  f"{rss_text}; time/mawk at 4n {t4[0] / a4[0]:5.2f}; CPU time(4n)/time(n) "
                  f"{t4[2] / max(t1[2], 0.01):4.2f}; at 4n {faults_and_system(t4)} (mawk "
                  f"{faults_and_system(a4)})")

    if args.work or args.keep_corpus:
        print(f"corpora kept in {work}")
    else:
        shutil.rmtree(work)
    if musts.missed:
        raise SystemExit("musts missed: " + "; ".join(musts.missed))
    print("every must met")


if __name__ == "__main__":
    main()
