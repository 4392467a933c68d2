// Scans a project in-process, lists the symbols of one file, writes both
// documents, then fetches each symbol's lines through the symbol index.
//
//   symbols_of_file ROOT FILE_ID OUT_DIR
#include <cstdio>
#include <iostream>
#include <string>

#include <graph_builder/graph_builder.hpp>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: symbols_of_file ROOT FILE_ID OUT_DIR\n";
    return 2;
  }
  namespace gb = graph_builder;
  const std::string root = gb::discovery::resolve_path(argv[1]);
  const std::string file_id = argv[2];
  const std::string out = std::string(argv[3]) + "/info_graph.json";

  gb::graph::Graph graph = gb::graph::scan(root);
  std::cout << "scanned " << graph.file_count() << " files, " << graph.symbol_count
            << " symbols\n";
  for (const gb::graph::Node& n : graph.nodes) {
    if (n.kind == "symbol" && n.path == file_id) {
      std::cout << n.name << " " << n.symbol_type << " " << n.line_start << "-" << n.line_end
                << "\n";
    }
  }

  try {
    gb::documents::write_documents(graph, out);
  } catch (const gb::FatalError& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  auto index = gb::documents::read_symbol_index(std::string(argv[3]) + "/symbol_index.json");
  if (!index) {
    std::cerr << "cannot read the symbol index\n";
    return 1;
  }
  for (const gb::documents::SymbolIndexEntry& e : *index) {
    if (e.path != file_id) continue;
    auto lines = gb::documents::read_symbol_lines(root, e);
    if (!lines) continue;
    std::cout << "--- " << e.id << " (" << lines->size() << " lines, body "
              << (gb::documents::body_matches(*lines, e) ? "unchanged" : "changed") << ")\n";
    for (const std::string& line : *lines) std::cout << line << "\n";
  }
  return 0;
}
