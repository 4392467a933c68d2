#include "graph_builder/symbols/extractors.hpp"

namespace graph_builder::symbols {

// Placeholder until this language family's extractor lands: no symbols.
std::vector<Symbol> extract_symbols_py(std::string_view /*content*/, std::string_view /*file_path*/) {
  return {};
}

}  // namespace graph_builder::symbols
