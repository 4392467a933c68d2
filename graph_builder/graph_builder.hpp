#pragma once
// graph_builder: builds a lightweight information graph of a software project
// (file nodes, symbol nodes, and "contains", "imports", "requires",
// "includes" and "references" edges), as a command-line program and as this
// library. Including this header gives the whole public interface, which is
// exactly the installed headers:
//
//   documents::build (what the command line does), documents::write_documents,
//   documents::graph_document, documents::symbol_index_document,
//   documents::load_previous_graph, documents::parse_previous_graph,
//   documents::read_symbol_index, documents::read_symbol_lines,
//   documents::body_matches
//   graph::scan, graph::dedupe_edges, graph::Graph, graph::Node, graph::Edge,
//   graph::JsonValue, graph::parse_relations, graph::append_symbol_nodes
//   discovery::walk_files, discovery::should_scan, discovery::rel,
//   discovery::resolve_path
//   symbols::extract_symbols_for_file, symbols::body_hash,
//   symbols::extract_symbols_{ts,py,rs,java,cs,rb,php,c_cpp}
//   text::split_camel, text::name_keywords, text::extract_keywords,
//   text::make_summary
//   graph_builder::FatalError, thrown on run-level failures
//   graph_builder::version

#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/documents/documents.hpp"
#include "graph_builder/documents/previous_graph.hpp"
#include "graph_builder/documents/symbol_index.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/assemble.hpp"
#include "graph_builder/graph/json.hpp"
#include "graph_builder/graph/node.hpp"
#include "graph_builder/graph/scan.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/summary.hpp"
#include "graph_builder/version.hpp"
