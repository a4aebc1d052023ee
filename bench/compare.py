#!/usr/bin/env python3
"""Runs two builds of the tool on the same documents, in both modes, and
reports every difference in what they leave behind: the exit status, the
messages, and the name and bytes of every file in the directory afterwards.
The documents are seeded random ones (valid and mutated, in the current and
the pre-0.20 layout), plus any files named with --file.

Usage: bench/compare.py OLD_TOOL NEW_TOOL [--count N] [--seed N] [--file PATH]...
"""
import argparse
import pathlib
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import corpus  # noqa: E402


def outcome(tool, text, name, mode):
    """What one run leaves: (exit status, messages, {file name: bytes})."""
    with tempfile.TemporaryDirectory() as folder:
        directory = pathlib.Path(folder)
        (directory / name).write_bytes(text)
        command = [tool, name] + (["--upgrade"] if mode == "upgrade" else [])
        result = subprocess.run(command, cwd=directory, capture_output=True)
        files = {path.name: path.read_bytes() for path in sorted(directory.iterdir())}
        return result.returncode, result.stderr, files


def documents(count, seed):
    rng = random.Random(seed)
    for _ in range(count):
        text = corpus.random_document(rng)
        yield corpus.mutate(rng, text) if rng.random() < 0.5 else text.encode()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--count", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--file", action="append", default=[])
    args = parser.parse_args()
    args.old, args.new = (str(pathlib.Path(tool).resolve()) for tool in (args.old, args.new))

    inputs = [pathlib.Path(path).read_bytes() for path in args.file]
    compared = differing = rewritten = failed = 0
    for index, text in enumerate([*inputs, *documents(args.count, args.seed)]):
        for mode in ("default", "upgrade"):
            name = "old song.track" if index % 2 else "doc.track"
            old = outcome(args.old, text, name, mode)
            new = outcome(args.new, text, name, mode)
            compared += 1
            rewritten += old[2].get(name) != text or len(old[2]) > 1
            failed += old[0] != 0
            if old != new:
                differing += 1
                if differing <= 10:
                    print(f"document {index} ({mode}) differs:\n  old {old[0]} {old[1]!r}\n"
                          f"  new {new[0]} {new[1]!r}\n  input {text[:400]!r}")
    print(f"{len(inputs) + args.count} documents, {compared} runs per build "
          f"({rewritten} wrote a file, {failed} failed): {differing} differ")
    sys.exit(1 if differing else 0)


if __name__ == "__main__":
    main()
