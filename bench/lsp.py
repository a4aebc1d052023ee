#!/usr/bin/env python3
"""Measures voromel-lsp against the issue's limits, on seeded soundtracks from
corpus.py, with an optimised build (build/lsp-bench):

  diagnostics  time from a didChange of a SIZE MB document to its
               publishDiagnostics, divided by the time the library takes to
               read the same text (bench/lsp_read_time.cc), both as a whole
               model (Document::read and check) and block by block (format,
               what the server uses); the whole message goes through the
               server's JSON parse, as an editor sends it. Must <= 1.5,
               target <= 1.2; for 1 MB and 10 MB.
  formatting   time of textDocument/formatting on an untidy 1 MB document,
               divided by the time voromel takes to rewrite the same file.
               Must <= 2.
  memory       peak RSS of the server with 100 open documents of 100 KB,
               against 3 x their size + 30 MB.

Timings on a shared machine are indicative only.

Usage: bench/lsp.py [--runs N] [--seed N] [--no-build] [--build DIR]
                    [--rows diagnostics formatting memory]
"""
import argparse
import json
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


def build(directory):
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(directory), "-DCMAKE_BUILD_TYPE=Release",
                    "-DBUILD_TESTING=OFF", "-DVOROMEL_LSP=ON", "-DVOROMEL_LSP_BENCH=ON"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(directory), "-j2", "--target", "voromel",
                    "voromel-lsp", "lsp_read_time"], check=True, stdout=subprocess.DEVNULL)


def framed(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


class Server:
    """voromel-lsp as a child process, spoken to as an editor would."""

    def __init__(self, binary):
        self.process = subprocess.Popen([str(binary)], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE)
        self.next_id = 0
        self.request("initialize", {"capabilities": {}})
        self.notify("initialized", {})

    def send(self, message):
        self.send_framed(framed(message))

    def send_framed(self, data):
        self.process.stdin.write(data)
        self.process.stdin.flush()

    def receive(self):
        length = None
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise SystemExit("the server stopped")
            line = line.strip()
            if not line:
                break
            name, _, value = line.partition(b":")
            if name.lower() == b"content-length":
                length = int(value)
        return json.loads(self.process.stdout.read(length))

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def request(self, method, params):
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params})
        while True:
            message = self.receive()
            if message.get("id") == self.next_id:
                return message

    def diagnostics(self):
        while True:
            message = self.receive()
            if message.get("method") == "textDocument/publishDiagnostics":
                return message["params"]

    def peak_rss_kb(self):
        for line in pathlib.Path(f"/proc/{self.process.pid}/status").read_text().splitlines():
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
        return 0

    def close(self):
        self.request("shutdown", None)
        self.notify("exit", None)
        self.process.wait(timeout=30)


def open_document(server, uri, text):
    server.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri, "languageId": "track", "version": 1, "text": text}})
    return server.diagnostics()


def verdict(value, must, target=None):
    if value > must:
        return "MISSES must"
    if target is not None and value > target:
        return "meets must, misses target"
    return "meets target" if target is not None else "meets must"


def diagnostics_row(binaries, work, rng, size_mb, runs):
    text = corpus.soundtrack(rng, int(size_mb * 1_000_000))
    path = work / f"diagnostics_{size_mb}.track"
    # The tool's canonical text: what an editor holds after formatting.
    path.write_text(text)
    subprocess.run([str(binaries["voromel"]), str(path)], check=True)
    text = path.read_text()
    reads = subprocess.run([str(binaries["lsp_read_time"]), str(path), str(runs)], check=True,
                           capture_output=True, text=True).stdout.split()
    model, blocks = (int(value) / 1e9 for value in reads)
    server = Server(binaries["voromel-lsp"])
    uri = "file:///bench.track"
    if open_document(server, uri, text)["diagnostics"]:
        raise SystemExit("the benchmark document does not read")
    times = []
    for version in range(2, runs + 2):
        # The editor's encoding of the message is not the server's time.
        change = framed({"jsonrpc": "2.0", "method": "textDocument/didChange", "params": {
            "textDocument": {"uri": uri, "version": version},
            "contentChanges": [{"text": text}]}})
        start = time.perf_counter()
        server.send_framed(change)
        server.diagnostics()
        times.append(time.perf_counter() - start)
    server.close()
    best = min(times)
    print(f"diagnostics {size_mb:>4} MB: change to diagnostics {best * 1000:8.1f} ms (median "
          f"{statistics.median(times) * 1000:.1f})")
    for name, read in (("Document::read and check", model), ("format, block by block", blocks)):
        ratio = best / read
        print(f"    over the library's {name:<25} {read * 1000:8.1f} ms: ratio {ratio:.2f} "
              f"(must <= 1.5, target <= 1.2: {verdict(ratio, 1.5, 1.2)})")


def formatting_row(binaries, work, rng, runs):
    path = work / "format.track"
    path.write_text(corpus.soundtrack(rng, 1_000_000))
    subprocess.run([str(binaries["voromel"]), str(path)], check=True)
    untidy = corpus.untidy(path.read_text())
    tool_times = []
    for _ in range(runs):
        path.write_text(untidy)
        start = time.perf_counter()
        subprocess.run([str(binaries["voromel"]), str(path)], check=True)
        tool_times.append(time.perf_counter() - start)
    server = Server(binaries["voromel-lsp"])
    uri = "file:///format.track"
    open_document(server, uri, untidy)
    server_times = []
    for _ in range(runs):
        start = time.perf_counter()
        answer = server.request("textDocument/formatting", {
            "textDocument": {"uri": uri}, "options": {"tabSize": 4, "insertSpaces": True}})
        server_times.append(time.perf_counter() - start)
        if "error" in answer or not answer["result"]:
            raise SystemExit(f"formatting failed: {str(answer)[:300]}")
    server.close()
    ratio = min(server_times) / min(tool_times)
    print(f"formatting     1 MB: server {min(server_times) * 1000:8.1f} ms, voromel "
          f"{min(tool_times) * 1000:8.1f} ms, ratio {ratio:.2f} (must <= 2: "
          f"{verdict(ratio, 2)})")


def memory_row(binaries, rng):
    server = Server(binaries["voromel-lsp"])
    total = 0
    for index in range(100):
        text = corpus.soundtrack(rng, 100_000)
        total += len(text.encode())
        open_document(server, f"file:///doc{index}.track", text)
    peak = server.peak_rss_kb() * 1024
    server.close()
    limit = 3 * total + 30 * 1024 * 1024
    print(f"memory: 100 documents, {total / 1e6:.1f} MB in all: peak RSS {peak / 1e6:.1f} MB, "
          f"limit {limit / 1e6:.1f} MB ({'meets must' if peak <= limit else 'MISSES must'})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--build", default=str(ROOT / "build" / "lsp-bench"))
    parser.add_argument("--no-build", action="store_true")
    parser.add_argument("--rows", nargs="+", default=["diagnostics", "formatting", "memory"],
                        choices=["diagnostics", "formatting", "memory"])
    args = parser.parse_args()
    directory = pathlib.Path(args.build)
    if not args.no_build:
        build(directory)
    binaries = {"voromel": directory / "voromel", "voromel-lsp": directory / "lsp" / "voromel-lsp",
                "lsp_read_time": directory / "lsp" / "lsp_read_time"}
    rng = random.Random(args.seed)
    work = pathlib.Path(tempfile.mkdtemp(prefix="voromel-lsp-bench-"))
    try:
        if "diagnostics" in args.rows:
            for size in (1, 10):
                diagnostics_row(binaries, work, rng, size, args.runs)
        if "formatting" in args.rows:
            formatting_row(binaries, work, rng, args.runs)
        if "memory" in args.rows:
            memory_row(binaries, rng)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
