#pragma once
// Which extractor reads which extension, and the turning of symbol records
// into symbol nodes and "contains" edges.

#include <string_view>
#include <vector>

#include "graph_builder/graph/node.hpp"
#include "graph_builder/symbols/symbol.hpp"

namespace graph_builder::symbols {

// True for the seventeen extensions that get symbol extraction (exact,
// case-sensitive comparison with a lower-case extension).
bool is_symbol_ext(std::string_view ext);

// Symbols of `content` by the extractor for `ext`; empty for any other
// extension (the comparison is exact: pass the lower-cased extension). Symbol
// ids start with `file_id`. Pure: never fails, prints or touches files.
std::vector<Symbol> extract_symbols_for_file(std::string_view content, std::string_view file_id,
                                              std::string_view ext);

// Appends one symbol node and then its "contains" edge per record, in order;
// changes nothing for an empty list. Never fails.
void append_symbol_nodes(std::vector<graph::Node>& nodes, std::vector<graph::Edge>& edges,
                          std::vector<Symbol> syms, std::string_view file_id,
                          std::string_view ext);

}  // namespace graph_builder::symbols
