#pragma once
// The two readers behind `parse_previous_graph`, exposed only so that the
// differential tests and the fuzzer can compare them. Not part of the
// installed interface.

#include <optional>
#include <string_view>

#include "graph_builder/graph/scan.hpp"

namespace graph_builder::cli::previous_graph_internal {

// The general reader (nlohmann/json): accepts any document and applies every
// rule of `parse_previous_graph`; it decides whenever the fast reader does not.
graph::PriorNodes read_general(std::string_view bytes);

// A reader for the documents this program writes: pure ASCII, numbers that fit
// a double, nesting of moderate depth, "nodes" an array of objects and each
// file node with a text id. Returns what `read_general` returns for such a
// document, and nullopt for any other (invalid JSON included), which it leaves
// to `read_general`.
std::optional<graph::PriorNodes> read_fast(std::string_view bytes);

}  // namespace graph_builder::cli::previous_graph_internal
