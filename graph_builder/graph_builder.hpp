#pragma once
// graph_builder: builds a lightweight information graph of a software project
// (file nodes, symbol nodes, and "contains", "imports", "requires",
// "includes" and "references" edges), as a command-line program and as this
// library. Including this header gives the whole public interface:
//
//   graph::scan, graph::dedupe_edges, graph::Graph, graph::Node, graph::Edge
//   discovery::walk_files, discovery::should_scan, discovery::rel
//   graph::append_symbol_nodes, symbols::extract_symbols_for_file,
//   symbols::body_hash, symbols::extract_symbols_{ts,py,rs,java,cs,rb,php,c_cpp}
//   text::split_camel, text::name_keywords, text::extract_keywords,
//   text::make_summary
//   graph::parse_relations
//   cli::write_documents, cli::graph_document, cli::symbol_index_document,
//   cli::load_previous_graph, cli::read_symbol_index, cli::read_symbol_lines

#include "graph_builder/cli/documents.hpp"
#include "graph_builder/cli/previous_graph.hpp"
#include "graph_builder/cli/symbol_index.hpp"
#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/assemble.hpp"
#include "graph_builder/graph/json.hpp"
#include "graph_builder/graph/node.hpp"
#include "graph_builder/graph/scan.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/summary.hpp"
