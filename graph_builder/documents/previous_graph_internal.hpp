#pragma once
// The two readers behind `parse_previous_graph`, exposed only so that the
// differential tests and the fuzzer can compare them. Not part of the
// installed interface.

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "graph_builder/graph/scan.hpp"

namespace graph_builder::documents::previous_graph_internal {

// The general reader (nlohmann/json): accepts any document and applies every
// rule of `parse_previous_graph`; it decides whenever the fast reader does not.
graph::PriorNodes read_general(std::string_view bytes);

// A reader for the documents this program writes: pure ASCII, numbers that fit
// a double, nesting of moderate depth, "nodes" an array of objects and each
// file node with a text id. Returns what `read_general` returns for such a
// document, and nullopt for any other (invalid JSON included), which it leaves
// to `read_general`.
std::optional<graph::PriorNodes> read_fast(std::string_view bytes);

// Supplies a document in pieces: stores up to `room` bytes at `dst` and
// returns how many, 0 at the end of the document, or a negative number when
// reading fails.
using ReadSome = std::function<std::ptrdiff_t(char* dst, std::size_t room)>;

// The same for a document supplied by `read`, held only a piece at a time in
// a buffer of `buffer_bytes` (grown to hold at least one whole line). A read
// failure gives up, and so may a node with "kind" twice that spans pieces.
std::optional<graph::PriorNodes> read_fast(const ReadSome& read, std::size_t buffer_bytes);

}  // namespace graph_builder::documents::previous_graph_internal
