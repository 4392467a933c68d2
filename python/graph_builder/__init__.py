"""graph_builder: builds a lightweight information graph of a software project.

The functions of the C++ library graph_builder, with Python's types:

    scan(root, existing_nodes=None) -> dict      the graph of a project
    dedupe_edges(edges) -> list
    walk_files(root) -> list[str]; should_scan(path) -> bool; rel(path, root) -> str
    _extract_symbols_for_file(content, file_id, ext) -> list[dict]
    extract_symbols_ts / _py / _rs / _java / _cs / _rb / _php / _c_cpp(content, file_path)
    _append_symbol_nodes(nodes, edges, syms, file_id, ext) -> None
    _body_hash(lines, start, end) -> str
    _split_camel(name), _name_keywords(name), extract_keywords(content, ext) -> list[str]
    _make_summary(content, path, ext) -> str
    parse_relations(path, text, root) -> list[dict]

plus the Node record and the constants MAX_FILE_BYTES, MAX_CONTENT_CHARS,
SCAN_EXTS, SYMBOL_EXTS, SKIP_DIRS and _CONDITIONAL_SKIP. Paths are str, bytes
or os.PathLike; texts are str. Bad input raises TypeError, ValueError,
UnicodeEncodeError, KeyError or OverflowError.
"""

from graph_builder._core import (
    MAX_CONTENT_CHARS,
    MAX_FILE_BYTES,
    SCAN_EXTS,
    SKIP_DIRS,
    SYMBOL_EXTS,
    _CONDITIONAL_SKIP,
    FatalError,
    __version__,
    _append_symbol_nodes,
    _body_hash,
    _extract_symbols_for_file,
    _make_summary,
    _name_keywords,
    _split_camel,
    dedupe_edges,
    extract_keywords,
    extract_symbols_c_cpp,
    extract_symbols_cs,
    extract_symbols_java,
    extract_symbols_php,
    extract_symbols_py,
    extract_symbols_rb,
    extract_symbols_rs,
    extract_symbols_ts,
    parse_relations,
    rel,
    scan,
    should_scan,
    walk_files,
)
from graph_builder._node import Node

__all__ = [
    "MAX_CONTENT_CHARS",
    "MAX_FILE_BYTES",
    "SCAN_EXTS",
    "SKIP_DIRS",
    "SYMBOL_EXTS",
    "_CONDITIONAL_SKIP",
    "FatalError",
    "Node",
    "__version__",
    "_append_symbol_nodes",
    "_body_hash",
    "_extract_symbols_for_file",
    "_make_summary",
    "_name_keywords",
    "_split_camel",
    "dedupe_edges",
    "extract_keywords",
    "extract_symbols_c_cpp",
    "extract_symbols_cs",
    "extract_symbols_java",
    "extract_symbols_php",
    "extract_symbols_py",
    "extract_symbols_rb",
    "extract_symbols_rs",
    "extract_symbols_ts",
    "parse_relations",
    "rel",
    "scan",
    "should_scan",
    "walk_files",
]
