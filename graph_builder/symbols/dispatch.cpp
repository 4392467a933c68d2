#include "graph_builder/symbols/dispatch.hpp"

#include <array>
#include <utility>

#include "graph_builder/symbols/extractors.hpp"

namespace graph_builder::symbols {
namespace {

using Extractor = std::vector<Symbol> (*)(std::string_view, std::string_view);

// The only list of which extension goes to which extractor.
constexpr std::array<std::pair<std::string_view, Extractor>, 17> kTable{{
    {".ts", extract_symbols_ts},      {".tsx", extract_symbols_ts},
    {".js", extract_symbols_ts},      {".jsx", extract_symbols_ts},
    {".py", extract_symbols_py},      {".rs", extract_symbols_rs},
    {".java", extract_symbols_java},  {".kt", extract_symbols_java},
    {".kts", extract_symbols_java},   {".scala", extract_symbols_java},
    {".cs", extract_symbols_cs},      {".rb", extract_symbols_rb},
    {".php", extract_symbols_php},    {".c", extract_symbols_c_cpp},
    {".cpp", extract_symbols_c_cpp},  {".h", extract_symbols_c_cpp},
    {".hpp", extract_symbols_c_cpp},
}};

Extractor find(std::string_view ext) {
  for (const auto& [e, fn] : kTable) {
    if (e == ext) return fn;
  }
  return nullptr;
}

}  // namespace

bool is_symbol_ext(std::string_view ext) { return find(ext) != nullptr; }

std::vector<Symbol> extract_symbols_for_file(std::string_view content, std::string_view file_id,
                                              std::string_view ext) {
  Extractor fn = find(ext);
  if (fn == nullptr) return {};
  return fn(content, file_id);
}

void append_symbol_nodes(std::vector<graph::Node>& nodes, std::vector<graph::Edge>& edges,
                          std::vector<Symbol> syms, std::string_view file_id,
                          std::string_view ext) {
  for (Symbol& s : syms) {
    graph::Node n;
    n.id = s.id;
    n.kind = "symbol";
    n.path = std::string(file_id);
    n.ext = std::string(ext);
    n.size = s.line_end - s.line_start + 1;
    n.keywords = std::move(s.keywords);
    n.symbol_type = std::move(s.symbol_type);
    n.name = std::move(s.name);
    n.line_start = s.line_start;
    n.line_end = s.line_end;
    n.body_hash = std::move(s.body_hash);
    n.confidence = std::move(s.confidence);
    n.exported = s.exported;
    nodes.push_back(std::move(n));
    edges.push_back(graph::Edge{std::string(file_id), std::move(s.id), "contains"});
  }
}

}  // namespace graph_builder::symbols
