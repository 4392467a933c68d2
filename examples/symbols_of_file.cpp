// Builds the documents of a project in-process (what the command line does),
// lists the symbols of one file, then fetches each symbol's lines through the
// symbol index.
//
//   symbols_of_file ROOT FILE_ID OUT_DIR
#include <iostream>
#include <string>

#include <graph_builder/graph_builder.hpp>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: symbols_of_file ROOT FILE_ID OUT_DIR\n";
    return 2;
  }
  namespace gb = graph_builder;
  const std::string file_id = argv[2];
  const std::string out = std::string(argv[3]) + "/info_graph.json";

  gb::documents::Built built;
  try {
    built = gb::documents::build(argv[1], out);
  } catch (const gb::FatalError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  const gb::graph::Graph& graph = built.graph;
  std::cout << "scanned " << graph.file_count() << " files, " << graph.symbol_count << " symbols\n";
  for (const gb::graph::Node& n : graph.nodes) {
    if (n.kind == "symbol" && n.path == file_id) {
      std::cout << n.name << " " << n.symbol_type << " " << n.line_start << "-" << n.line_end
                << "\n";
    }
  }

  auto index = gb::documents::read_symbol_index(built.written.index_path);
  if (!index) {
    std::cerr << "cannot read the symbol index\n";
    return 1;
  }
  for (const gb::documents::SymbolIndexEntry& e : *index) {
    if (e.path != file_id) continue;
    auto lines = gb::documents::read_symbol_lines(graph.root, e);
    if (!lines) continue;
    std::cout << "--- " << e.id << " (" << lines->size() << " lines, body "
              << (gb::documents::body_matches(*lines, e) ? "unchanged" : "changed") << ")\n";
    for (const std::string& line : *lines) std::cout << line << "\n";
  }
  return 0;
}
