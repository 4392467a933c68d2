#pragma once
// Name-based classification of TS/JS declarations, used by
// the TS/JS extractor (families_internal.hpp).

#include <string_view>

namespace graph_builder::symbols {

// A symbol type and its confidence; both views point at string literals.
struct TsClassification {
  std::string_view symbol_type;
  std::string_view confidence;
  bool operator==(const TsClassification&) const = default;
};

// First rule that applies: an HTTP method name (GET, POST, PUT, PATCH,
// DELETE, HEAD, OPTIONS) is ("api_route", "high"); "use" + upper-case fourth
// code point is ("hook", "high"); exported with an upper-case first code
// point is ("use_case", "medium"); other exported is ("use_case", "high");
// anything else is ("utility", "medium").
TsClassification _classify_ts(std::string_view name, bool exported);

}  // namespace graph_builder::symbols
