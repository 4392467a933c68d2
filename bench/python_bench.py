#!/usr/bin/env python3
"""What the Python module costs over the C++ library, on the benchmark corpus.

Usage: python3 bench/python_bench.py [ROOT] [--build DIR] [--module DIR] [--rounds N]
  ROOT     the tree to scan (default bench/corpus-data, see bench/corpus.sh)
  --build  a build configured with -DGB_BUILD_BENCH=ON (default build-bench):
           the C++ side from DIR/bench/library_bench, the program from
           DIR/graph_builder
  --module a build configured with -DGB_PYTHON=ON (default: the --build
           one): the module from DIR/python. A build with the module has a
           position-independent library; give a separate one here to compare
           with the C++ side as the program is usually built.
  --rounds how many interleaved rounds (default 3); each figure is the best

Compares user CPU seconds (for scan, of all its threads: both sides scan with
the default job count):
  scan       graph_builder.scan(ROOT) from Python (the graph as Python dicts)
             against graph::scan in C++ (library_bench scan), which is what
             the program does without writing the documents; the program's
             own run, documents included, is shown beside them;
  texts      each single-text function called once per file from Python
             against the same calls in C++ (library_bench texts), over the
             same files, read and decoded beforehand; the collector is paused
             while they run, as timeit does.
"""

import argparse
import gc
import os
import pathlib
import resource
import subprocess
import sys
import tempfile
import time

REPO = pathlib.Path(__file__).resolve().parents[1]
LIMITS = {"scan": 1.5}
TEXT_LIMIT = 2.0


def user_seconds(who=resource.RUSAGE_SELF):
    return resource.getrusage(who).ru_utime


def run_cpp(bench, mode, root):
    done = subprocess.run([str(bench), mode, str(root)], check=True, capture_output=True,
                          text=True)
    out = {}
    for line in done.stdout.splitlines():
        name, *values = line.split()
        out[name] = float(values[0])
    return out


def run_program(program, root):
    with tempfile.TemporaryDirectory() as out:
        before = user_seconds(resource.RUSAGE_CHILDREN)
        subprocess.run([str(program), "--root", str(root), "--out", f"{out}/g.json"],
                       check=True, stdout=subprocess.DEVNULL)
        return user_seconds(resource.RUSAGE_CHILDREN) - before


def decoded(path):
    text = pathlib.Path(path).read_bytes().decode("utf-8", "ignore")
    return text.replace("\r\n", "\n").replace("\r", "\n")


def load(gb, root):
    """The files a scan reads, with the arguments of each function (as
    library_bench loads them)."""
    files = []
    for path in gb.walk_files(root):
        try:
            if os.path.getsize(path) > gb.MAX_FILE_BYTES:
                continue
            content = decoded(path)
        except OSError:
            continue
        name = os.path.basename(path)
        dot = name.rfind(".")
        ext = name[dot:] if 0 < dot < len(name) - 1 else ""
        files.append((path, gb.rel(path, root), ext.lower(), name[: len(name) - len(ext)],
                      content, content.split("\n")))
    return files


def python_texts(gb, root, files):
    calls = {
        "_extract_symbols_for_file": lambda: [
            gb._extract_symbols_for_file(c, i, e) for _, i, e, _, c, _ in files],
        "extract_keywords": lambda: [gb.extract_keywords(c, e) for _, _, e, _, c, _ in files],
        "_make_summary": lambda: [gb._make_summary(c, i, e) for _, i, e, _, c, _ in files],
        "parse_relations": lambda: [gb.parse_relations(p, c, root) for p, _, _, _, c, _ in files],
        "_split_camel": lambda: [gb._split_camel(s) for _, _, _, s, _, _ in files],
        "_name_keywords": lambda: [gb._name_keywords(s) for _, _, _, s, _, _ in files],
        "_body_hash": lambda: [gb._body_hash(l, 0, len(l) - 1) for *_, l in files],
        # The interpreter's own share of such a loop: the same walk over the
        # files calling a built-in that does next to nothing.
        "loop floor": lambda: [len(s) for _, _, _, s, _, _ in files],
    }
    out = {}
    for name, call in calls.items():
        # As timeit does: the collector would otherwise walk the millions of
        # objects of `files` each time the results trigger a collection.
        gc.collect()
        gc.disable()
        try:
            before = user_seconds()
            call()
            out[name] = user_seconds() - before
        finally:
            gc.enable()
    return out


def python_scan(gb, root):
    before = user_seconds()
    wall = time.perf_counter()
    g = gb.scan(root)
    seconds = user_seconds() - before
    wall = time.perf_counter() - wall
    count = g["node_count"]
    del g
    return seconds, wall, count


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root", nargs="?", default=str(REPO / "bench" / "corpus-data"))
    parser.add_argument("--build", default=str(REPO / "build-bench"))
    parser.add_argument("--module")
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    root = os.path.realpath(args.root)
    build = pathlib.Path(args.build).resolve()
    sys.path.insert(0, str(pathlib.Path(args.module or build).resolve() / "python"))
    import graph_builder as gb

    bench = build / "bench" / "library_bench"
    program = build / "graph_builder"
    files = load(gb, root)
    print(f"graph_builder {gb.__version__}, {len(files)} files under {root}, "
          f"{os.cpu_count()} cores, load {os.getloadavg()[0]:.2f} at start; "
          f"best of {args.rounds} interleaved rounds, user CPU seconds")
    best = {}

    def keep(key, value):
        best[key] = min(best.get(key, value), value)

    for _ in range(args.rounds):
        for name, s in run_cpp(bench, "texts", root).items():
            if name != "files":
                keep(("C++", name), s)
        for name, s in python_texts(gb, root, files).items():
            keep(("Python", name), s)
        keep(("C++", "scan"), run_cpp(bench, "scan", root)["scan"])
        seconds, wall, nodes = python_scan(gb, root)
        keep(("Python", "scan"), seconds)
        keep(("Python", "scan wall"), wall)
        keep(("program", "scan"), run_program(program, root))
    print(f"load {os.getloadavg()[0]:.2f} at end")
    print(f"{'':28} {'C++':>9} {'Python':>9} {'ratio':>6} {'limit':>6}")
    names = ["scan", "_extract_symbols_for_file", "extract_keywords", "_make_summary",
             "parse_relations", "_split_camel", "_name_keywords", "_body_hash"]
    failed = False
    for name in names:
        cpp, py = best[("C++", name)], best[("Python", name)]
        limit = LIMITS.get(name, TEXT_LIMIT)
        ratio = py / cpp if cpp > 0 else float("inf")
        failed |= ratio > limit
        print(f"{name:28} {cpp:9.3f} {py:9.3f} {ratio:6.2f} {limit:6.1f}")
    print(f"{'loop floor':28} {'':9} {best[('Python', 'loop floor')]:9.3f}   (len() in the same loop)")
    texts = names[1:]
    cpp_all = sum(best[("C++", n)] for n in texts)
    py_all = sum(best[("Python", n)] for n in texts)
    print(f"{'all single-text functions':28} {cpp_all:9.3f} {py_all:9.3f} {py_all / cpp_all:6.2f}")
    print(f"program with documents: {best[('program', 'scan')]:.3f} s user; "
          f"Python scan wall {best[('Python', 'scan wall')]:.3f} s; {nodes} nodes")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
