"""The module's results against the C++ library's: scan() against the graph
document the program writes (kit cases, kit trees, a tree of edge cases, a
re-run over stored values of every JSON type), and the single-text functions
against what the C++ functions give for the same texts (tests/reference.cpp).
"""

import json
import os
import random
import re
import unittest

import graph_builder as gb

import support
from support import TempTree, canonical


class GraphComparison(unittest.TestCase):
    def assert_same_graph(self, expected, actual):
        """`actual` (from scan) equals `expected` (the program's document):
        the same members in the same order, the same values and types."""
        self.assertEqual(list(actual), list(expected))
        for key in ("root", "node_count", "edge_count", "file_count", "symbol_count"):
            self.assertEqual(actual[key], expected[key], key)
            self.assertIs(type(actual[key]), type(expected[key]), key)
        self.assertEqual(len(actual["nodes"]), len(expected["nodes"]))
        for want, got in zip(expected["nodes"], actual["nodes"]):
            self.assertEqual(canonical(got), canonical(want), want.get("id"))
        self.assertEqual(len(actual["edges"]), len(expected["edges"]))
        for want, got in zip(expected["edges"], actual["edges"]):
            self.assertEqual(canonical(got), canonical(want))


@support.needs("program", "kit")
class ScanAgainstProgram(GraphComparison):
    def test_kit_cases(self):
        root = (support.KIT / "cases").resolve()
        with TempTree() as out:
            expected = support.run_program(root, out.root / "info_graph.json")
        actual = gb.scan(str(root))
        self.assert_same_graph(expected, actual)
        file_ids = sorted(n["id"] for n in actual["nodes"] if n["kind"] == "file")
        self.assertEqual(file_ids, support.kit_fragment_ids())

    def test_kit_trees(self):
        trees = sorted((support.KIT / "trees").iterdir())
        self.assertEqual(len(trees), 4)
        for tree in trees:
            with self.subTest(tree=tree.name), TempTree() as out:
                root = (tree / "tree").resolve()
                expected = support.run_program(root, out.root / "info_graph.json")
                self.assert_same_graph(expected, gb.scan(root))

    def test_tree_of_edge_cases(self):
        with TempTree() as t:
            t.write("src/crlf.ts", b"export function aB() {\r\n  return 1;\r\n}\r\n")
            t.write("src/latin1.py", b"def caf\xe9():\n    '''Caf\xe9 module'''\n    pass\n")
            t.write("src/exact.md", b"x" * gb.MAX_FILE_BYTES)
            t.write("src/over.md", b"y" * (gb.MAX_FILE_BYTES + 1))
            t.write("src/long.py", "def f():\n    pass\n" + "é" * 30000)
            t.write("src/Upper.TSX", "export function useThing() {\n  return 0;\n}\n")
            t.write("src/bom.cs", "\ufeffusing System;\npublic class A {}\n")
            t.write("src/empty.yaml", "")
            t.write("lib/util.h", '#include "lib/x.h"\nint f(int a) {\n  return a;\n}\n')
            t.write("build/generated/skip.h", "int skipped;\n")
            t.write("build/keep.h", "int kept(void) {\n}\n")
            t.write("node_modules/x/index.js", "require('x')\n")
            t.write("Makefile", "all:\n")
            # A linked directory inside the root: its files come twice, under
            # their real ids, and their edges are de-duplicated across files.
            t.link("again", "lib")
            with TempTree() as out:
                expected = support.run_program(t.root, out.root / "info_graph.json")
            actual = gb.scan(t.root)
        self.assert_same_graph(expected, actual)
        ids = [n["id"] for n in actual["nodes"] if n["kind"] == "file"]
        self.assertIn("src/exact.md", ids)
        self.assertNotIn("src/over.md", ids)
        self.assertEqual(ids.count("lib/util.h"), 2)

    def test_stored_values_of_every_json_type(self):
        # A previous graph whose file nodes store values of every JSON type:
        # the program carries them into its new document, and scan() must
        # give the same values.
        stored = {
            "summary": {"nested": [1, 2.5, None, True, "x", {"y": []}]},
            "keywords": [1, "two", None, [3.25e-7]],
            "size": 123456789012345678901234567890,
            "content": None,
            "path": 1.5e300,
            "ext": False,
        }
        with TempTree() as t:
            t.write("a.py", "def alpha():\n    return 1\n")
            t.write("b.ts", "export function beta() {}\n")
            t.write("c.md", "# Notes\nSee docs/setup.md.\n")
            t.write("d.rs", "pub fn delta() {\n}\n")
            with TempTree() as out:
                doc_path = out.root / "info_graph.json"
                previous = support.run_program(t.root, doc_path)
                for node in previous["nodes"]:
                    if node["id"] == "a.py":
                        node.update(stored)
                    elif node["id"] == "b.ts":
                        node["file_hash"] = "00000000"  # changed: analysed afresh
                        node["summary"] = "stale"
                    elif node["id"] == "c.md":
                        del node["file_hash"]  # never matches
                        node["summary"] = "stale"
                    elif node["id"] == "d.rs":
                        del node["content"]  # absent: taken from the text
                        node["keywords"] = []
                        node["extra"] = {"ignored": 1}
                doc_path.write_text(json.dumps(previous, indent=2))
                existing = {n["id"]: n for n in previous["nodes"] if n["kind"] == "file"}
                expected = support.run_program(t.root, doc_path)
            actual = gb.scan(t.root, existing)
        self.assert_same_graph(expected, actual)
        by_id = {n["id"]: n for n in actual["nodes"]}
        for key, value in stored.items():
            self.assertEqual(by_id["a.py"][key], value, key)
            # The caller's own objects, not copies.
            self.assertIs(by_id["a.py"][key], existing["a.py"][key], key)
        self.assertNotEqual(by_id["b.ts"]["summary"], "stale")
        self.assertNotEqual(by_id["c.md"]["summary"], "stale")
        self.assertEqual(by_id["d.rs"]["keywords"], [])
        self.assertEqual(by_id["d.rs"]["content"], "pub fn delta() {\n}\n")


# Names whose keywords exercise the splitting rules, beside words of the texts.
NAMES = ["loadXMLDocument", "parseJSON2XML", "HTMLParser", "my_var_name", "_private_cache",
         "MAX_FILE_BYTES", "__init__", "IO", "", "a_b_c", "userUser", "ImplV2", "Île", "İzmir",
         "ÉcoleNormale", "a__b", "x" * 300, "camelCaseWithManyManyManyManyWordsInItAll"]

# Characters that end lines for some splitters and not others, and text
# outside ASCII, spliced into the kit's texts.
SPLICES = ["\r", "\x0b", "\x0c", "\x1c", "\x1d", "\x1e", "\x85", "\u2028", "\u2029", "\x00",
           "\n", "\n\n", "é", "İ", "😀", "\ufeff", "{", "}", "\"\"\"", "/*", "*/", " ", "\t"]


def variants(texts, count, rng):
    """Texts made from the kit's: cut at random points, spliced with line
    separators and non-ASCII characters, and joined."""
    out = []
    for _ in range(count):
        text = rng.choice(texts)
        if text and rng.random() < 0.5:
            a, b = sorted(rng.randrange(len(text) + 1) for _ in range(2))
            text = text[a:b]
        pieces = list(text)
        for _ in range(rng.randrange(8)):
            pieces.insert(rng.randrange(len(pieces) + 1), rng.choice(SPLICES))
        text = "".join(pieces)
        if rng.random() < 0.2:
            text += rng.choice(texts)
        out.append(text)
    return out


def ranges_for(text, rng):
    n = text.count("\n") + 1
    out = [[0, n - 1], [0, 0], [-1, 3], [3, 2], [n - 1, n + 5], [n, n], [0, 2**62],
           [-(2**62), 0], [2**62, 2**62]]
    for _ in range(4):
        a = rng.randrange(-2, n + 2)
        out.append([a, a + rng.randrange(-2, 30)])
    return out


@support.needs("reference", "kit")
class SingleTextAgainstCpp(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        rng = random.Random(20240617)
        root = (support.KIT / "cases").resolve()
        cases = []
        for file_id, path in support.kit_cases():
            content = support.decoded(path)
            words = sorted(set(re.findall(r"\w+", content)))
            cases.append({
                "content": content,
                "file_id": file_id,
                "ext": support.extension(path.name).lower(),
                "path": str(root / file_id),
                "root": str(root),
                "names": NAMES + rng.sample(words, min(len(words), 25)),
                "ranges": ranges_for(content, rng),
            })
        texts = [c["content"] for c in cases]
        exts = sorted(gb.SCAN_EXTS) + ["", ".TS", ".Py", ".txt"]
        for i, text in enumerate(variants(texts, 150, rng)):
            ext = rng.choice(exts)
            file_id = f"v{i}/dir name/file{ext}"
            cases.append({
                "content": text,
                "file_id": file_id,
                "ext": ext,
                "path": str(root / file_id),
                "root": str(root),
                "names": rng.sample(sorted(set(re.findall(r"\w+", text))) or [""], 1),
                "ranges": ranges_for(text, rng),
            })
        cls.cases = cases
        cls.expected = support.run_reference(cases)

    def each_case(self):
        self.assertGreater(len(self.cases), 200)
        for case, expected in zip(self.cases, self.expected, strict=True):
            with self.subTest(file_id=case["file_id"]):
                yield case, expected

    def test_symbols(self):
        families = {
            "ts": gb.extract_symbols_ts, "py": gb.extract_symbols_py,
            "rs": gb.extract_symbols_rs, "java": gb.extract_symbols_java,
            "cs": gb.extract_symbols_cs, "rb": gb.extract_symbols_rb,
            "php": gb.extract_symbols_php, "c_cpp": gb.extract_symbols_c_cpp,
        }
        found = 0
        for case, expected in self.each_case():
            got = gb._extract_symbols_for_file(case["content"], case["file_id"], case["ext"])
            self.assertEqual(canonical(got), canonical(expected["for_file"]))
            found += len(got)
            for tag, extract in families.items():
                got = extract(case["content"], case["file_id"])
                self.assertEqual(canonical(got), canonical(expected["families"][tag]), tag)
        self.assertGreater(found, 289)

    def test_keywords_and_summary(self):
        for case, expected in self.each_case():
            self.assertEqual(gb.extract_keywords(case["content"], case["ext"]),
                             expected["keywords"])
            self.assertEqual(gb._make_summary(case["content"], case["file_id"], case["ext"]),
                             expected["summary"])

    def test_relations(self):
        for case, expected in self.each_case():
            got = gb.parse_relations(case["path"], case["content"], case["root"])
            self.assertEqual(canonical(got), canonical(expected["relations"]))

    def test_names(self):
        for case, expected in self.each_case():
            self.assertEqual([gb._split_camel(n) for n in case["names"]],
                             expected["split_camel"])
            self.assertEqual([gb._name_keywords(n) for n in case["names"]],
                             expected["name_keywords"])

    def test_body_hashes(self):
        for case, expected in self.each_case():
            lines = case["content"].split("\n")
            got = [gb._body_hash(lines, start, end) for start, end in case["ranges"]]
            self.assertEqual(got, expected["body_hashes"])

    def test_symbol_nodes(self):
        for case, expected in self.each_case():
            syms = gb._extract_symbols_for_file(case["content"], case["file_id"], case["ext"])
            nodes, edges = [], []
            gb._append_symbol_nodes(nodes, edges, syms, case["file_id"], case["ext"])
            self.assertTrue(all(isinstance(n, gb.Node) for n in nodes))
            self.assertEqual(canonical([n.as_dict() for n in nodes]),
                             canonical(expected["symbol_nodes"]))
            self.assertEqual(canonical(edges), canonical(expected["contains_edges"]))


if __name__ == "__main__":
    unittest.main()
