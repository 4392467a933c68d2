"""The graph node record."""

from __future__ import annotations

import dataclasses

from graph_builder import _core


@dataclasses.dataclass(slots=True)
class Node:
    """A node of the graph: a file (kind "file") or a symbol (kind "symbol").

    The fields are those of the C++ library's record, in the same order, which
    is also the order of the constructor's arguments.
    """

    id: str
    kind: str
    path: str
    ext: str
    size: int
    keywords: list[str]
    content: str = ""
    summary: str = ""
    file_hash: str = ""
    symbol_type: str = ""
    name: str = ""
    line_start: int = 0
    line_end: int = 0
    body_hash: str = ""
    confidence: str = ""
    exported: bool = False

    def as_dict(self) -> dict:
        """The serialised form: "id", "kind", "path", "ext", "size", "keywords",
        then "content", "summary", "file_hash" for kind "file", or "symbol_type",
        "name", "line_start", "line_end", "body_hash", "confidence", "exported"
        for any other kind. TypeError when a field does not hold its type."""
        return _core._node_as_dict(self)
