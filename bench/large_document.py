#!/usr/bin/env python3
"""Prints a large untidy document with every section kind: the blocks of
examples/all_sections.track repeated COUNT times under new names, without
the blank lines of the canonical layout, so that the tool rewrites it.

Usage: bench/large_document.py COUNT > big.track
"""
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent


def sections(text):
    """(title, [(block heading, body lines)]) for each '# ' section."""
    result = []
    for line in text.splitlines():
        if line.startswith("# "):
            result.append((line[2:], []))
        elif line.startswith("## ") and result:
            result[-1][1].append((line[3:], []))
        elif line.strip() and result and result[-1][1]:
            result[-1][1][-1][1].append(line)
    return result


def main():
    count = int(sys.argv[1])
    example = (ROOT / "examples/all_sections.track").read_text(encoding="utf-8")
    out = []
    for title, blocks in sections(example):
        if title in ("Meta", "Notes"):
            continue
        out.append(f"# {title}")
        for copy in range(count):
            for name, body in blocks:
                out.append(f"## {name}{copy}")
                out.extend(body)
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
