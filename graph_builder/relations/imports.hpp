#pragma once
// The statement-shaped relations of a file: imports, uses, requires, quoted
// includes and the class a XAML file names. Pure text work; no file system.

#include <cstddef>
#include <string_view>
#include <vector>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/relations/relations.hpp"

namespace graph_builder::relations {

// Appends to `out` one relation per match of the statement rows, in row order
// and, within a row, in text order: the rows every file gets, and those of
// `language` (ImportRows::none: no language rows).
void append_statement_relations(std::string_view text, languages::ImportRows language,
                                std::vector<Relation>& out);

// The number of statement rows (each compiled once); for tests.
std::size_t statement_row_count();

}  // namespace graph_builder::relations
