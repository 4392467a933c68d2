#pragma once
// The statement-shaped relations of a file: imports, uses, requires, quoted
// includes and the class a XAML file names. Pure text work; no file system.

#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/graph/node.hpp"

namespace graph_builder::relations {

// Appends to `out` one edge from `file_id` per match of the statement rows, in
// row order and, within a row, in text order. `ext` is the file name's
// extension with its case kept; rows bound to other extensions are skipped.
void append_statement_edges(const std::string& file_id, std::string_view ext,
                            std::string_view text, std::vector<graph::Edge>& out);

// The number of statement rows (each compiled once); for tests.
std::size_t statement_row_count();

}  // namespace graph_builder::relations
