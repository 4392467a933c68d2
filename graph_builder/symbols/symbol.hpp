#pragma once
// The symbol record every extractor produces, and the body hash of a symbol's
// lines. Extractors are pure: text in, records out; no I/O, no state kept.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {

// One recognised declaration.
struct Symbol {
  std::string id;           // file path argument + "::" + name
  std::string name;         // never empty
  std::string symbol_type;  // "api_route", "hook", "use_case", "utility", "model"
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

}  // namespace graph_builder::symbols
