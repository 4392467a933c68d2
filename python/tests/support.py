"""What the module's tests share: where the program, the C++ reference
printer and the conformance kit are, running them, and temporary trees.

CTest runs the tests with GB_PROGRAM, GB_REFERENCE and GB_CONFORMANCE_DIR set
(python/CMakeLists.txt); a test that needs one of them skips without it, so
that the tests also run against an installed module.
"""

import json
import os
import pathlib
import shutil
import subprocess
import tempfile
import unittest


def _env_path(name):
    value = os.environ.get(name)
    if value and os.path.exists(value):
        return pathlib.Path(value)
    return None


PROGRAM = _env_path("GB_PROGRAM")
REFERENCE = _env_path("GB_REFERENCE")
KIT = _env_path("GB_CONFORMANCE_DIR")


def needs(*what):
    """Skips a test when a path it needs is not configured."""
    names = {"program": PROGRAM, "reference": REFERENCE, "kit": KIT}
    missing = [w for w in what if names[w] is None]
    return unittest.skipIf(missing, "not configured: " + ", ".join(missing))


def kit_cases():
    """(file id, path) of every input file of the kit's cases, sorted."""
    cases = KIT / "cases"
    out = []
    for path in sorted(cases.rglob("*")):
        if path.is_file():
            out.append((path.relative_to(cases).as_posix(), path))
    return out


def kit_fragment_ids():
    """The file ids the kit expects a scan of its cases to produce."""
    expected = KIT / "expected"
    return sorted(p.relative_to(expected).as_posix()[: -len(".json")]
                  for p in expected.rglob("*.json"))


def decoded(path):
    """A file's text as the scan reads it: undecodable bytes dropped, CR LF
    and lone CR turned into LF."""
    text = pathlib.Path(path).read_bytes().decode("utf-8", "ignore")
    return text.replace("\r\n", "\n").replace("\r", "\n")


def extension(name):
    """The extension of a file name, case kept: from its last dot, when that
    dot is neither the first nor the last character."""
    dot = name.rfind(".")
    if dot <= 0 or dot == len(name) - 1:
        return ""
    return name[dot:]


def run_program(root, out_path):
    """Runs the program on `root`, writing the graph to `out_path`; returns the
    graph document, parsed."""
    subprocess.run([str(PROGRAM), "--root", str(root), "--out", str(out_path)],
                   check=True, stdout=subprocess.DEVNULL)
    with open(out_path, encoding="ascii") as f:
        return json.load(f)


def run_reference(cases):
    """What the C++ single-text functions give for `cases` (see
    python/tests/reference.cpp)."""
    done = subprocess.run([str(REFERENCE)], input=json.dumps({"cases": cases}).encode(),
                          stdout=subprocess.PIPE, check=True)
    return json.loads(done.stdout)


def canonical(value):
    """A text that tells two results apart by value, type and key order."""
    return json.dumps(value, ensure_ascii=True, indent=1, allow_nan=True)


class TempTree:
    """A fresh temporary directory, removed on exit; `root` is its resolved path."""

    def __enter__(self):
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="gb_py_")).resolve()
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.root, ignore_errors=True)

    def write(self, rel_path, data):
        path = self.root / rel_path
        path.parent.mkdir(parents=True, exist_ok=True)
        if isinstance(data, str):
            data = data.encode("utf-8")
        path.write_bytes(data)
        return path

    def link(self, rel_path, target):
        path = self.root / rel_path
        path.parent.mkdir(parents=True, exist_ok=True)
        os.symlink(target, path)
        return path
