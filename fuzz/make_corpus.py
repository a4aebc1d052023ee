#!/usr/bin/env python3
"""Builds a seed corpus for document_fuzz: the example documents, and every
string literal of the tests, as written and placed in a block of each known
section, so that each line grammar is reached from the start.

Usage: fuzz/make_corpus.py OUTPUT_DIR
"""
import hashlib
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SECTIONS = ["Songs", "Layers", "Sounds", "Tunings", "Waves", "Subtitles", "Motifs",
            "Snapshots", "Reverb"]
# Adjacent C++ string literals, as one run (raw strings are not used in the tests).
LITERAL_RUN = re.compile(r'(?:u8)?"(?:[^"\\\n]|\\.)*"(?:\s*(?:u8)?"(?:[^"\\\n]|\\.)*")*')
ONE_LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
ESCAPE = re.compile(r'\\(x[0-9a-fA-F]+|u[0-9a-fA-F]{4}|U[0-9a-fA-F]{8}|[0-7]{1,3}|.)')
SIMPLE = {"n": "\n", "t": "\t", "r": "\r", "\\": "\\", '"': '"', "'": "'", "a": "\a",
          "b": "\b", "f": "\f", "v": "\v", "?": "?"}


def decode(body):
    out = bytearray()
    pos = 0
    for match in ESCAPE.finditer(body):
        out += body[pos:match.start()].encode()
        code = match.group(1)
        if code[0] == "x" and len(code) > 1:
            out.append(int(code[1:], 16) & 0xFF)
        elif code[0] in "uU":
            out += chr(int(code[1:], 16)).encode("utf-8", "surrogatepass")
        elif code[0].isdigit():
            out.append(int(code, 8) & 0xFF)
        else:
            out += SIMPLE.get(code, code).encode()
        pos = match.end()
    out += body[pos:].encode()
    return bytes(out)


def literals():
    for source in sorted((ROOT / "tests").rglob("*.cc")):
        text = source.read_text(encoding="utf-8")
        for run in LITERAL_RUN.finditer(text):
            yield b"".join(decode(part) for part in ONE_LITERAL.findall(run.group(0)))


def seeds():
    for example in sorted((ROOT / "examples").glob("*.track")):
        yield example.read_bytes()
    for literal in literals():
        if not literal:
            continue
        yield literal
        if not literal.lstrip().startswith(b"#"):
            for title in SECTIONS:
                yield f"# {title}\n\n## x\n".encode() + literal + b"\n"


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    count = 0
    for seed in seeds():
        name = hashlib.sha1(seed).hexdigest()
        path = out / name
        if not path.exists():
            path.write_bytes(seed)
            count += 1
    print(f"{count} seeds in {out}")


if __name__ == "__main__":
    main()
