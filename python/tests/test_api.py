"""The module's surface: names, constants, the Node record, the shapes and
types of results, paths of every kind, and what the functions do with the
objects they are given."""

import dataclasses
import os
import pathlib
import re
import subprocess
import unittest

import graph_builder as gb

import support
from support import TempTree

FUNCTIONS = [
    "scan", "dedupe_edges", "walk_files", "should_scan", "rel", "_extract_symbols_for_file",
    "_append_symbol_nodes", "_body_hash", "extract_symbols_ts", "extract_symbols_py",
    "extract_symbols_rs", "extract_symbols_java", "extract_symbols_cs", "extract_symbols_rb",
    "extract_symbols_php", "extract_symbols_c_cpp", "_split_camel", "_name_keywords",
    "extract_keywords", "_make_summary", "parse_relations",
]

NODE_FIELDS = [
    ("id", None), ("kind", None), ("path", None), ("ext", None), ("size", None),
    ("keywords", None), ("content", ""), ("summary", ""), ("file_hash", ""),
    ("symbol_type", ""), ("name", ""), ("line_start", 0), ("line_end", 0), ("body_hash", ""),
    ("confidence", ""), ("exported", False),
]
FILE_KEYS = ["id", "kind", "path", "ext", "size", "keywords", "content", "summary", "file_hash"]
SYMBOL_KEYS = ["id", "kind", "path", "ext", "size", "keywords", "symbol_type", "name",
               "line_start", "line_end", "body_hash", "confidence", "exported"]
SYMBOL_RECORD_KEYS = ["id", "name", "symbol_type", "line_start", "line_end", "body_hash",
                      "confidence", "exported", "keywords"]

TS_TEXT = ("import jwt from 'jsonwebtoken';\n\nexport function handleLogin(user) {\n"
           "  return jwt.sign(user);\n}\n")


class Surface(unittest.TestCase):
    def test_every_function_at_top_level(self):
        for name in FUNCTIONS:
            with self.subTest(name=name):
                self.assertTrue(callable(getattr(gb, name)))
                self.assertIn(name, gb.__all__)

    def test_constants(self):
        self.assertEqual(gb.MAX_FILE_BYTES, 300000)
        self.assertEqual(gb.MAX_CONTENT_CHARS, 24000)
        self.assertEqual(gb.SYMBOL_EXTS, {
            ".ts", ".tsx", ".js", ".jsx", ".py", ".rs", ".java", ".cs", ".rb", ".php", ".kt",
            ".kts", ".scala", ".c", ".cpp", ".h", ".hpp"})
        self.assertEqual(gb.SCAN_EXTS, gb.SYMBOL_EXTS | {
            ".go", ".swift", ".json", ".yaml", ".yml", ".md", ".xaml"})
        self.assertEqual(gb.SKIP_DIRS, {
            ".git", ".beads", ".beads-hooks", "node_modules", "vendor", "dist", ".next", ".idea",
            ".vscode", "__pycache__", "venv", ".venv", ".mirelane", "Intermediate", "Binaries",
            "DerivedDataCache", "Saved"})
        self.assertEqual(gb._CONDITIONAL_SKIP, {"build"})

    def test_version_is_the_project_version(self):
        self.assertRegex(gb.__version__, r"^\d+\.\d+\.\d+")
        cmake_lists = pathlib.Path(__file__).resolve().parents[2] / "CMakeLists.txt"
        if cmake_lists.exists():
            project = re.search(r"project\(graph_builder VERSION ([0-9.]+)",
                                cmake_lists.read_text())
            self.assertEqual(gb.__version__, project.group(1))
        if support.PROGRAM is not None:
            done = subprocess.run([str(support.PROGRAM), "--version"], capture_output=True,
                                  text=True)
            if done.returncode == 0:
                self.assertIn(gb.__version__, done.stdout)


class NodeRecord(unittest.TestCase):
    def test_fields_in_order_with_defaults(self):
        fields = dataclasses.fields(gb.Node)
        self.assertEqual([f.name for f in fields], [name for name, _ in NODE_FIELDS])
        for field, (name, default) in zip(fields, NODE_FIELDS):
            if default is None:
                self.assertIs(field.default, dataclasses.MISSING, name)
            else:
                self.assertEqual(field.default, default, name)

    def test_as_dict_by_kind(self):
        file_node = gb.Node("a.py", "file", "a.py", ".py", 10, ["alpha"], "x = 1\n", "Sum.",
                            "0123abcd")
        d = file_node.as_dict()
        self.assertEqual(list(d), FILE_KEYS)
        self.assertEqual(d, {"id": "a.py", "kind": "file", "path": "a.py", "ext": ".py",
                             "size": 10, "keywords": ["alpha"], "content": "x = 1\n",
                             "summary": "Sum.", "file_hash": "0123abcd"})
        symbol = gb.Node("a.py::f", "symbol", "a.py", ".py", 3, [], symbol_type="utility",
                         name="f", line_start=4, line_end=6, body_hash="deadbeef",
                         confidence="high", exported=True)
        d = symbol.as_dict()
        self.assertEqual(list(d), SYMBOL_KEYS)
        self.assertIs(d["exported"], True)
        self.assertEqual((d["line_start"], d["line_end"], d["size"]), (4, 6, 3))
        # Any kind but "file" exactly is written with the symbol members.
        for kind in ("File", "dir", ""):
            node = gb.Node("x", kind, "x", "", 0, [])
            self.assertEqual(list(node.as_dict()), SYMBOL_KEYS, kind)

    def test_as_dict_gives_new_lists(self):
        node = gb.Node("a.py", "file", "a.py", ".py", 1, ["one"])
        d = node.as_dict()
        d["keywords"].append("two")
        self.assertEqual(node.keywords, ["one"])

    def test_as_dict_names_a_field_of_the_wrong_type(self):
        for field, value in [("size", "1"), ("keywords", "abc"), ("exported", 1),
                             ("content", None), ("line_end", 1.5), ("id", b"a")]:
            node = gb.Node("a.py", "file", "a.py", ".py", 1, [])
            setattr(node, field, value)
            with self.subTest(field=field), self.assertRaises(TypeError) as caught:
                node.as_dict()
            e = caught.exception
            self.assertIn("Node." + field, " ".join([str(e)] + getattr(e, "__notes__", [])))


class Scan(unittest.TestCase):
    def test_result_shape_and_types(self):
        with TempTree() as t:
            t.write("src/auth.ts", TS_TEXT)
            t.write("README.md", "# Notes\nSee src/auth.ts.\n")
            g = gb.scan(t.root)
            self.assertEqual(list(g), ["root", "node_count", "edge_count", "file_count",
                                       "symbol_count", "nodes", "edges"])
            self.assertEqual(g["root"], str(t.root))
            self.assertEqual((g["node_count"], g["file_count"], g["symbol_count"]), (3, 2, 1))
            self.assertEqual(g["edge_count"], len(g["edges"]))
            kinds = {n["id"]: n["kind"] for n in g["nodes"]}
            self.assertEqual(kinds, {"src/auth.ts": "file", "README.md": "file",
                                     "src/auth.ts::handleLogin": "symbol"})
            for node in g["nodes"]:
                self.assertEqual(list(node), FILE_KEYS if node["kind"] == "file" else SYMBOL_KEYS)
            auth = next(n for n in g["nodes"] if n["id"] == "src/auth.ts")
            self.assertEqual(auth["content"], TS_TEXT)
            self.assertEqual(auth["size"], len(TS_TEXT))
            self.assertEqual(auth["file_hash"], "24a251e3")
            for edge in g["edges"]:
                self.assertEqual(list(edge), ["from", "to", "rel"])
            self.assertIn({"from": "src/auth.ts", "to": "jsonwebtoken", "rel": "imports"},
                          g["edges"])
            self.assertIn({"from": "README.md", "to": "src/auth.ts", "rel": "references"},
                          g["edges"])

    def test_root_as_path_bytes_and_str(self):
        with TempTree() as t:
            t.write("a.py", "def alpha():\n    pass\n")
            by_str = gb.scan(str(t.root))
            by_path = gb.scan(t.root)
            by_bytes = gb.scan(os.fsencode(t.root))
        self.assertEqual(by_path, by_str)
        self.assertEqual(by_bytes, by_str)
        self.assertEqual(by_bytes["root"], str(t.root))

    def test_missing_root_gives_an_empty_graph(self):
        with TempTree() as t:
            g = gb.scan(t.root / "missing")
        self.assertEqual(g["nodes"], [])
        self.assertEqual(g["edges"], [])
        self.assertEqual((g["node_count"], g["edge_count"], g["file_count"],
                          g["symbol_count"]), (0, 0, 0, 0))

    def test_unchanged_file_keeps_stored_values(self):
        with TempTree() as t:
            t.write("a.py", "def alpha():\n    pass\n")
            first = gb.scan(t.root)
            old = dict(first["nodes"][0])
            old["summary"] = "kept summary"
            old["keywords"] = ["kept"]
            again = gb.scan(t.root, {"a.py": old})
            self.assertEqual(again["nodes"][0]["summary"], "kept summary")
            self.assertIs(again["nodes"][0]["keywords"], old["keywords"])
            # Symbols are always worked out afresh.
            self.assertEqual(again["nodes"][1:], first["nodes"][1:])
            # A different hash: analysed afresh.
            old["file_hash"] = "ffffffff"
            self.assertEqual(gb.scan(t.root, {"a.py": old}), first)
            # An empty mapping is no previous graph at all.
            self.assertEqual(gb.scan(t.root, {}), first)

    def test_stored_id_and_kind_are_kept_when_they_are_text(self):
        with TempTree() as t:
            t.write("a.md", "# A\n")
            first = gb.scan(t.root)["nodes"][0]
            old = dict(first, id="renamed.md")
            self.assertEqual(gb.scan(t.root, {"a.md": old})["nodes"][0]["id"], "renamed.md")
            # An id that is not text gives way to the file id.
            old = dict(first, id=42)
            self.assertEqual(gb.scan(t.root, {"a.md": old})["nodes"][0]["id"], "a.md")

    def test_file_names_that_are_not_utf8(self):
        with TempTree() as t:
            name = os.fsdecode(b"caf\xe9.ts")
            t.write("src/" + name, "export function fooBar() {\n}\n")
            files = gb.walk_files(t.root)
            self.assertEqual(files, [os.path.join(str(t.root), "src", name)])
            self.assertEqual(gb.rel(files[0], t.root), "src/" + name)
            g = gb.scan(t.root)
            self.assertEqual([n["id"] for n in g["nodes"]],
                             ["src/" + name, "src/" + name + "::fooBar"])
            # The ids go back into the functions that take them.
            syms = gb._extract_symbols_for_file("export function fooBar() {\n}\n",
                                                "src/" + name, ".ts")
            self.assertEqual(syms[0]["id"], "src/" + name + "::fooBar")


class Discovery(unittest.TestCase):
    def test_should_scan(self):
        cases = [("src/a.py", True), ("README.MD", True), ("conf/Config.Yaml", True),
                 ("x/.py", False), ("Makefile", False), ("app/venv/x.py", False),
                 ("/p/.venv/lib/x.py", False), ("a.txt", False), ("a.py.", False),
                 (os.fsdecode(b"x.\xff"), False), (os.fsdecode(b"x.p\xc3"), False),
                 (os.fsdecode(b"caf\xe9.py"), True)]
        for path, expected in cases:
            with self.subTest(path=path):
                self.assertIs(gb.should_scan(path), expected)
                self.assertIs(gb.should_scan(pathlib.PurePosixPath(path)), expected)
                self.assertIs(gb.should_scan(os.fsencode(path)), expected)

    def test_walk_files_and_rel(self):
        with TempTree() as t:
            t.write("a/b/c.py", "")
            t.write("a/top.ts", "")
            t.write("node_modules/x.js", "")
            t.write("notes.txt", "")
            files = gb.walk_files(t.root)
            self.assertEqual(sorted(files), sorted([str(t.root / "a/top.ts"),
                                                   str(t.root / "a/b/c.py")]))
            # A directory's own files come before its sub-directories' files.
            self.assertLess(files.index(str(t.root / "a/top.ts")),
                            files.index(str(t.root / "a/b/c.py")))
            self.assertEqual(gb.walk_files(str(t.root)), files)
            self.assertEqual(gb.rel(t.root / "a/b/c.py", t.root), "a/b/c.py")
            self.assertEqual(gb.rel(str(t.root / "a/./b/../b/c.py"), str(t.root)), "a/b/c.py")
            with TempTree() as outside:
                target = outside.write("shared/util.ts", "")
                t.link("link.ts", target)
                self.assertTrue(gb.rel(t.root / "link.ts", t.root).startswith("../"))


class EdgesAndRecords(unittest.TestCase):
    def test_dedupe_edges_keeps_the_first_objects(self):
        a = {"from": "x", "to": "y", "rel": "imports"}
        b = {"from": "x", "to": "y", "rel": "imports", "extra": 1}
        c = {"from": "x", "to": "y", "rel": "requires"}
        d = {"from": "x", "to": "z", "rel": "imports"}
        edges = [a, b, c, a, d, c]
        out = gb.dedupe_edges(edges)
        self.assertEqual(len(out), 3)
        for got, want in zip(out, [a, c, d]):
            self.assertIs(got, want)
        self.assertEqual(edges, [a, b, c, a, d, c])
        self.assertEqual(gb.dedupe_edges([]), [])
        self.assertEqual(gb.dedupe_edges(iter([b, a])), [b])

    def test_append_symbol_nodes(self):
        syms = gb.extract_symbols_ts(TS_TEXT, "src/auth.ts")
        self.assertEqual([list(s) for s in syms], [SYMBOL_RECORD_KEYS])
        nodes, edges = ["existing"], []
        self.assertIsNone(gb._append_symbol_nodes(nodes, edges, syms, "src/auth.ts", ".ts"))
        self.assertEqual(nodes[0], "existing")
        self.assertEqual(nodes[1], gb.Node(
            "src/auth.ts::handleLogin", "symbol", "src/auth.ts", ".ts", 3,
            ["handlelogin", "handle", "login"], symbol_type="use_case", name="handleLogin",
            line_start=2, line_end=4, body_hash="9652b71d", confidence="high", exported=True))
        self.assertEqual(edges, [{"from": "src/auth.ts", "to": "src/auth.ts::handleLogin",
                                  "rel": "contains"}])
        # Records made by hand, and any object with an append method.
        record = dict(syms[0], id="f.py::g", name="g", line_start=10, line_end=9)

        class Collector:
            def __init__(self):
                self.items = []

            def append(self, item):
                self.items.append(item)

        got_nodes, got_edges = Collector(), Collector()
        gb._append_symbol_nodes(got_nodes, got_edges, (record,), "f.py", ".py")
        self.assertEqual(got_nodes.items[0].size, 0)
        self.assertEqual(got_edges.items, [{"from": "f.py", "to": "f.py::g", "rel": "contains"}])
        # Nothing is appended when a record is bad.
        nodes, edges = [], []
        with self.assertRaises(KeyError):
            gb._append_symbol_nodes(nodes, edges, [syms[0], {"id": "x"}], "f", ".ts")
        self.assertEqual((nodes, edges), ([], []))

    def test_body_hash_selection(self):
        lines = ["alpha", "beta", "gamma"]
        whole = gb._body_hash(lines, 0, 2)
        self.assertEqual(gb._body_hash(lines, 0, 99), whole)
        self.assertEqual(gb._body_hash(lines, 0, 2**200), whole)
        self.assertEqual(gb._body_hash(tuple(lines), 0, 2), whole)
        self.assertEqual(gb._body_hash(lines, 1, 1), gb._body_hash(["beta"], 0, 0))
        self.assertEqual(gb._body_hash(lines, True, 1), gb._body_hash(["beta"], 0, 0))
        empty = "d41d8cd9"  # nothing selected
        for start, end in [(-1, 2), (2, 1), (3, 5), (-(2**200), 2), (2**200, 2**201)]:
            self.assertEqual(gb._body_hash(lines, start, end), empty, (start, end))
        # Lines outside the selection are not read, but must be str.
        self.assertEqual(gb._body_hash(["alpha", "\ud800"], 0, 0), gb._body_hash(["alpha"], 0, 0))
        with self.assertRaises(TypeError):
            gb._body_hash(["alpha", None], 0, 0)


if __name__ == "__main__":
    unittest.main()
