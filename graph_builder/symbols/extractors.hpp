#pragma once
// One extractor per language family. Each takes the whole decoded text and the
// file id (the prefix of every symbol id) and returns its symbol records in
// recording order. Pure: no I/O, nothing kept between calls, never fails.

#include <string_view>
#include <vector>

#include "graph_builder/symbols/symbol.hpp"

namespace graph_builder::symbols {

std::vector<Symbol> extract_symbols_ts(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_py(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_rs(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_java(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_cs(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_rb(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_php(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_c_cpp(std::string_view content, std::string_view file_path);

}  // namespace graph_builder::symbols
