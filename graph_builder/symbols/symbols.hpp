#pragma once
// Symbols of one text: the declarations the extractor of the file's language
// recognises, each with its 0-based line range, the short hash of its body
// lines, a category, a confidence and its name's keywords. Pure: text in,
// records out; no I/O, no state kept between calls, never fails, builds no
// graph records (graph/assemble.hpp makes symbol nodes).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {

// One recognised declaration.
struct Symbol {
  std::string id;               // file path argument + "::" + name
  std::string name;             // never empty
  std::string symbol_type;      // "api_route", "hook", "use_case", "utility", "model"
  std::int64_t line_start = 0;  // 0-based line of the match start
  std::int64_t line_end = 0;    // 0-based last line of the body, >= line_start
  std::string body_hash;        // body_hash(lines, line_start, line_end)
  std::string confidence;       // "high" or "medium"
  bool exported = false;
  std::vector<std::string> keywords;  // name_keywords(name)
  bool operator==(const Symbol&) const = default;
};

// First 8 hex digits of the MD5 of lines[start..end] joined with "\n"; indexes
// past the end are ignored, and start > end or start past the end selects
// nothing. Lines are a file's text split at LF. Never fails.
std::string body_hash(const std::vector<std::string_view>& lines, std::int64_t start,
                      std::int64_t end);

// One extractor per language family. Each takes the whole decoded text and the
// file path that prefixes every symbol id, and returns its symbols in
// recording order (by pattern, then by position; the first recording of a
// name wins).
std::vector<Symbol> extract_symbols_ts(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_py(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_rs(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_java(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_cs(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_rb(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_php(std::string_view content, std::string_view file_path);
std::vector<Symbol> extract_symbols_c_cpp(std::string_view content, std::string_view file_path);

// Symbols of `content` by the extractor the language table names for `ext`;
// empty for an extension without one (the comparison is exact: pass the
// lower-cased extension). Symbol ids start with `file_id`.
std::vector<Symbol> extract_symbols_for_file(std::string_view content, std::string_view file_id,
                                             std::string_view ext);

}  // namespace graph_builder::symbols
