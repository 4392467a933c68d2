"""Bad input gets a Python exception that says what is wrong, never a crash:
a table of bad arguments for every function, then random values fed to
every function (GB_FUZZ_ROUNDS sets how many, default 3000)."""

import math
import os
import pathlib
import random
import unittest

import graph_builder as gb

from support import TempTree

SURROGATE = "abc\ud800def"
GOOD_SYMBOL = {"id": "a.ts::f", "name": "f", "symbol_type": "utility", "line_start": 0,
               "line_end": 1, "body_hash": "00000000", "confidence": "high", "exported": False,
               "keywords": []}
EDGE = {"from": "a", "to": "b", "rel": "imports"}


def message(e):
    return " ".join([str(e)] + getattr(e, "__notes__", []))


class BadArguments(unittest.TestCase):
    def test_table(self):
        lines = ["a", "b"]
        # (call, exception, words the message must hold)
        cases = [
            (lambda: gb.extract_keywords(SURROGATE, ".py"), UnicodeEncodeError, "content"),
            (lambda: gb.extract_keywords("x", SURROGATE), UnicodeEncodeError, "ext"),
            (lambda: gb.extract_keywords(None, ".py"), TypeError, "content"),
            (lambda: gb.extract_keywords(b"x", ".py"), TypeError, "content"),
            (lambda: gb._make_summary("x", None, ".py"), TypeError, "path"),
            (lambda: gb._make_summary("x", "\udfff", ".py"), UnicodeEncodeError, "path"),
            # A file id holding a file-name byte that is not UTF-8 is no text.
            (lambda: gb._make_summary("x", "src/caf\udcc3", ".py"), UnicodeEncodeError, "path"),
            (lambda: gb._split_camel(SURROGATE), UnicodeEncodeError, "name"),
            (lambda: gb._name_keywords(3), TypeError, "name"),
            (lambda: gb.extract_symbols_py(SURROGATE, "a.py"), UnicodeEncodeError, "content"),
            (lambda: gb.extract_symbols_rb("x", None), TypeError, "file_path"),
            (lambda: gb._extract_symbols_for_file("x", "a.ts", None), TypeError, "ext"),
            (lambda: gb.parse_relations("a.py", SURROGATE, "."), UnicodeEncodeError, "text"),
            (lambda: gb.parse_relations(None, "x", "."), TypeError, "path"),
            (lambda: gb.parse_relations("a\0.py", "x", "."), ValueError, "null"),
            (lambda: gb.rel("a", None), TypeError, "root"),
            (lambda: gb.should_scan(12), TypeError, "path"),
            (lambda: gb.walk_files("/tmp\0/etc"), ValueError, "null"),
            (lambda: gb.scan(None), TypeError, "root"),
            (lambda: gb.scan("/nonexistent\0"), ValueError, "null"),
            (lambda: gb.scan("/nonexistent", [EDGE]), TypeError, "existing_nodes"),
            (lambda: gb.scan("/nonexistent", "a.py"), TypeError, "existing_nodes"),
            (lambda: gb.scan("/nonexistent", {"a.py": "node"}), TypeError, "a.py"),
            (lambda: gb.scan("/nonexistent", {1: {}}), TypeError, "key"),
            (lambda: gb.scan("/nonexistent", {"a.py": {"id": SURROGATE}}), UnicodeEncodeError,
             "id"),
            (lambda: gb._body_hash(lines, -1.0, 1), TypeError, "start"),
            (lambda: gb._body_hash(lines, 0, "1"), TypeError, "end"),
            (lambda: gb._body_hash(lines, None, 1), TypeError, "start"),
            (lambda: gb._body_hash("ab", 0, 1), TypeError, "lines"),
            (lambda: gb._body_hash(None, 0, 1), TypeError, "lines"),
            (lambda: gb._body_hash(["a", 1], 0, 1), TypeError, "lines[1]"),
            (lambda: gb._body_hash(["a", SURROGATE], 0, 1), UnicodeEncodeError, "lines[1]"),
            (lambda: gb.dedupe_edges(None), TypeError, "edges"),
            (lambda: gb.dedupe_edges([EDGE, {"from": "a", "to": "b"}]), KeyError, "edges[1]"),
            (lambda: gb.dedupe_edges([EDGE, ["a", "b", "c"]]), TypeError, "edges[1]"),
            (lambda: gb.dedupe_edges([dict(EDGE, to=None)]), TypeError, "to"),
            (lambda: gb._append_symbol_nodes([], [], [dict(GOOD_SYMBOL, line_start=2**63)], "a",
                                             ".ts"), OverflowError, "line_start"),
            (lambda: gb._append_symbol_nodes([], [], [dict(GOOD_SYMBOL, line_start=-2**62,
                                                           line_end=2**62)], "a", ".ts"),
             OverflowError, "line_end - line_start"),
            (lambda: gb._append_symbol_nodes([], [], [dict(GOOD_SYMBOL, exported=1)], "a",
                                             ".ts"), TypeError, "exported"),
            (lambda: gb._append_symbol_nodes([], [], [dict(GOOD_SYMBOL, keywords=[None])], "a",
                                             ".ts"), TypeError, "keywords"),
            (lambda: gb._append_symbol_nodes([], [], [{"id": "x"}], "a", ".ts"), KeyError,
             "syms[0]"),
            (lambda: gb._append_symbol_nodes([], [], [7], "a", ".ts"), TypeError, "syms[0]"),
            (lambda: gb._append_symbol_nodes([], [], None, "a", ".ts"), TypeError, "syms"),
            (lambda: gb._append_symbol_nodes(None, [], [GOOD_SYMBOL], "a", ".ts"),
             AttributeError, "append"),
            (lambda: gb.Node("a", "file", "a", "", 2**64, []).as_dict(), OverflowError, "size"),
        ]
        for i, (call, exception, words) in enumerate(cases):
            with self.subTest(case=i, expected=exception.__name__):
                with self.assertRaises(exception) as caught:
                    call()
                self.assertIn(words, message(caught.exception))


# Random values: every type a caller might pass by mistake, and texts with
# every kind of character.
def random_text(rng):
    alphabet = ["a", "Z", "_", " ", "\n", "\r", "\t", "\x00", "\x0b", "\x85", "é", "İ", "😀",
                "\u2028", "\ud800", "\udcff", "{", "}", "(", ")", "/", ".", "\"", "'", "#",
                "import ", "def ", "class ", "function ", "export ", "fn ", "pub ", "@app.get",
                "require(", "#include \"", "x:Class=\"", ".ts", ".py", "/*", "*/", "\"\"\""]
    return "".join(rng.choice(alphabet) for _ in range(rng.randrange(60)))


def random_value(rng, depth=0):
    kind = rng.randrange(17)
    if kind == 0:
        return None
    if kind == 1:
        return rng.choice([True, False])
    if kind == 2:
        return rng.choice([0, 1, -1, 7, 2**31, 2**63 - 1, 2**63, -2**63, -2**63 - 1, 2**200])
    if kind == 3:
        return rng.choice([0.0, -1.5, math.inf, math.nan, 1e308])
    if kind in (4, 5, 6):
        return random_text(rng)
    if kind == 7:
        return random_text(rng).encode("utf-8", "surrogatepass")
    if kind == 8:
        return bytearray(b"ab")
    if kind == 9 and depth < 2:
        return [random_value(rng, depth + 1) for _ in range(rng.randrange(4))]
    if kind == 10 and depth < 2:
        return tuple(random_value(rng, depth + 1) for _ in range(rng.randrange(4)))
    if kind == 11 and depth < 2:
        keys = ["id", "name", "from", "to", "rel", "file_hash", "summary", random_text(rng)]
        return {rng.choice(keys): random_value(rng, depth + 1) for _ in range(rng.randrange(5))}
    if kind == 12:
        return dict(GOOD_SYMBOL, **{rng.choice(list(GOOD_SYMBOL)): random_value(rng, 2)})
    if kind == 13:
        return dict(EDGE, **{rng.choice(list(EDGE)): random_value(rng, 2)})
    if kind == 14:
        return gb.Node(random_value(rng, 2), "file", "p", ".py", 1, [])
    if kind == 15:
        return object()
    return {1, 2}


ALLOWED = (TypeError, ValueError, UnicodeError, KeyError, OverflowError, AttributeError)


class RandomValues(unittest.TestCase):
    def test_every_function(self):
        rng = random.Random(int(os.environ.get("GB_FUZZ_SEED", "17")))
        rounds = int(os.environ.get("GB_FUZZ_ROUNDS", "3000"))
        with TempTree() as t:
            t.write("src/a.ts", "export function useThing() {\n  return 1;\n}\n")
            t.write("b.py", "def beta():\n    pass\n")
            # Paths that are safe to walk: the small tree, a file, a missing
            # directory, or something that is not a path at all.
            def path_value():
                return rng.choice([t.root, str(t.root), os.fsencode(t.root), t.root / "b.py",
                                   t.root / "missing", str(t.root) + "\0x",
                                   pathlib.PurePosixPath("/nonexistent/a.ts"),
                                   random_value(rng)])

            def any_value():
                return random_value(rng)

            def valid_text():
                return random_text(rng).encode("utf-8", "surrogatepass").decode("utf-8",
                                                                                "ignore")

            def text_value():
                # Often a valid text, so that the calls also get through.
                return any_value() if rng.random() < 0.5 else valid_text()

            def node_value():
                # A node with one field (often) of any type.
                fields = ["a.py", rng.choice(["file", "symbol"]), "a.py", ".py", 1, ["kw"], "x",
                          "", "", "", "", 0, 0, "", "", False]
                if rng.random() < 0.8:
                    fields[rng.randrange(len(fields))] = any_value()
                return gb.Node(*fields)

            calls = {
                "scan": lambda: gb.scan(path_value(), rng.choice([None, any_value()])),
                "walk_files": lambda: gb.walk_files(path_value()),
                "should_scan": lambda: gb.should_scan(rng.choice([path_value(), any_value()])),
                "rel": lambda: gb.rel(rng.choice([path_value(), any_value()]),
                                      rng.choice([path_value(), any_value()])),
                "parse_relations": lambda: gb.parse_relations(
                    rng.choice([path_value(), any_value()]), text_value(),
                    rng.choice([path_value(), any_value()])),
                "dedupe_edges": lambda: gb.dedupe_edges(any_value()),
                "_extract_symbols_for_file": lambda: gb._extract_symbols_for_file(
                    text_value(), text_value(), rng.choice([any_value(), ".ts", ".py", ".c"])),
                "_append_symbol_nodes": lambda: gb._append_symbol_nodes(
                    rng.choice([[], any_value()]), rng.choice([[], any_value()]),
                    rng.choice([[GOOD_SYMBOL], any_value(), [any_value()]]), text_value(),
                    text_value()),
                "_body_hash": lambda: gb._body_hash(
                    rng.choice([any_value(), [valid_text() for _ in range(3)],
                                [text_value() for _ in range(3)]]),
                    rng.choice([any_value(), rng.randrange(-2, 5)]),
                    rng.choice([any_value(), rng.randrange(-2, 5)])),
                "_split_camel": lambda: gb._split_camel(text_value()),
                "_name_keywords": lambda: gb._name_keywords(text_value()),
                "extract_keywords": lambda: gb.extract_keywords(text_value(), text_value()),
                "_make_summary": lambda: gb._make_summary(text_value(), text_value(),
                                                          text_value()),
                "Node.as_dict": lambda: node_value().as_dict(),
            }
            for tag in ("ts", "py", "rs", "java", "cs", "rb", "php", "c_cpp"):
                extract = getattr(gb, "extract_symbols_" + tag)
                calls["extract_symbols_" + tag] = (
                    lambda extract=extract: extract(text_value(), text_value()))
            # Each call either returns a result of its type or raises one of
            # the exceptions for bad input.
            results = {"scan": dict, "walk_files": list, "should_scan": bool, "rel": str,
                       "_body_hash": str, "_make_summary": str, "Node.as_dict": dict,
                       "_append_symbol_nodes": type(None)}
            returned = {name: 0 for name in calls}
            for _ in range(rounds):
                name = rng.choice(sorted(calls))
                try:
                    result = calls[name]()
                except ALLOWED:
                    continue
                self.assertIsInstance(result, results.get(name, list), name)
                returned[name] += 1
            # Valid texts come up often enough that every function ran.
            if rounds >= 3000:
                for name, count in returned.items():
                    self.assertGreater(count, 0, name)

    def test_random_texts_give_results_of_their_types(self):
        rng = random.Random(5)
        exts = sorted(gb.SCAN_EXTS) + ["", ".TS"]
        for _ in range(500):
            text = random_text(rng).encode("utf-8", "surrogatepass").decode("utf-8", "ignore")
            ext = rng.choice(exts)
            syms = gb._extract_symbols_for_file(text, "f" + ext, ext)
            for s in syms:
                self.assertEqual([type(v) for v in s.values()],
                                 [str, str, str, int, int, str, str, bool, list])
                self.assertLessEqual(s["line_start"], s["line_end"])
            keywords = gb.extract_keywords(text, ext)
            self.assertLessEqual(len(keywords), 80)
            self.assertTrue(all(isinstance(k, str) and len(k) >= 3 for k in keywords))
            self.assertLessEqual(len(gb._make_summary(text, "f" + ext, ext)), 250)
            for edge in gb.parse_relations("/r/f" + ext, text, "/r"):
                self.assertEqual(edge["from"], "f" + ext)


if __name__ == "__main__":
    unittest.main()
