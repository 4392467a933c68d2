#pragma once
// Reading the symbol index back: the way a consumer fetches one symbol's lines
// without loading the graph.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace graph_builder::documents {

// One member of the symbol index document.
struct SymbolIndexEntry {
  std::string id;  // "<file id>::<name>"
  std::int64_t line_start = 0;
  std::int64_t line_end = 0;
  std::string body_hash;
  std::string confidence;
  std::string path;  // file id of the containing file
};

// The entries of the symbol index document at `path`, in document order;
// nothing when it cannot be read or is not a symbol index. Never throws.
std::optional<std::vector<SymbolIndexEntry>> read_symbol_index(const std::string& path);

// Lines `line_start`..`line_end` of `<root>/<entry.path>`, read and decoded as
// the scan reads files and split at LF (the lines the body hash covers);
// nothing when the file cannot be read. Never throws.
std::optional<std::vector<std::string>> read_symbol_lines(const std::string& root,
                                                          const SymbolIndexEntry& entry);

// True when `lines` still hash to the entry's body hash (the symbol has not
// changed since the index was written).
bool body_matches(const std::vector<std::string>& lines, const SymbolIndexEntry& entry);

}  // namespace graph_builder::documents
