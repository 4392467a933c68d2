#pragma once
// One extractor per language family (lang_<family>.cpp), called by
// find_symbols for the profile's SymbolExtractor. Each records through a
// SymbolRecorder, which ends bodies by the profile's block rule. Not part of
// the installed interface.

#include <string_view>
#include <vector>

#include "graph_builder/symbols/find_symbols.hpp"

namespace graph_builder::symbols {

std::vector<SymbolRecord> find_symbols_ts(std::string_view content, const languages::Profile&);
std::vector<SymbolRecord> find_symbols_py(std::string_view content, const languages::Profile&);
std::vector<SymbolRecord> find_symbols_rs(std::string_view content, const languages::Profile&);
std::vector<SymbolRecord> find_symbols_java(std::string_view content, const languages::Profile&);
std::vector<SymbolRecord> find_symbols_cs(std::string_view content, const languages::Profile&);
std::vector<SymbolRecord> find_symbols_rb(std::string_view content, const languages::Profile&);
std::vector<SymbolRecord> find_symbols_php(std::string_view content, const languages::Profile&);
std::vector<SymbolRecord> find_symbols_c_cpp(std::string_view content, const languages::Profile&);

}  // namespace graph_builder::symbols
