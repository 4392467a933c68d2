#include "graph_builder/symbols/find_symbols.hpp"

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/symbols/families_internal.hpp"

namespace graph_builder::symbols {

std::vector<SymbolRecord> find_symbols(std::string_view content,
                                       const languages::Profile& profile) {
  using languages::SymbolExtractor;
  switch (profile.symbols) {
    case SymbolExtractor::none:
      return {};
    case SymbolExtractor::ts:
      return find_symbols_ts(content, profile);
    case SymbolExtractor::py:
      return find_symbols_py(content, profile);
    case SymbolExtractor::rs:
      return find_symbols_rs(content, profile);
    case SymbolExtractor::java:
      return find_symbols_java(content, profile);
    case SymbolExtractor::cs:
      return find_symbols_cs(content, profile);
    case SymbolExtractor::rb:
      return find_symbols_rb(content, profile);
    case SymbolExtractor::php:
      return find_symbols_php(content, profile);
    case SymbolExtractor::c_cpp:
      return find_symbols_c_cpp(content, profile);
  }
  return {};
}

}  // namespace graph_builder::symbols
