#pragma once
// Compact views of symbol records for table-driven extractor tests.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "graph_builder/symbols/symbols.hpp"

namespace graph_builder::symbols::test_support {

// What a test pins down of one record: name, type, line range, visibility.
struct Want {
  std::string name;
  std::string type;
  std::int64_t start;
  std::int64_t end;
  bool exported;
  bool operator==(const Want&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Want& w) {
  return os << "{" << w.name << " " << w.type << " " << w.start << ".." << w.end << " "
            << (w.exported ? "exported" : "private") << "}";
}
inline std::vector<Want> summarize(const std::vector<Symbol>& syms) {
  std::vector<Want> out;
  for (const Symbol& s : syms) {
    out.push_back({s.name, s.symbol_type, s.line_start, s.line_end, s.exported});
  }
  return out;
}

// The same without visibility, for extractors that always export.
struct Row {
  std::string name;
  std::string type;
  std::int64_t start;
  std::int64_t end;
  bool operator==(const Row&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << r.name << " " << r.type << " " << r.start << ".." << r.end << "}";
}
inline std::vector<Row> rows(const std::vector<Symbol>& syms) {
  std::vector<Row> out;
  for (const Symbol& s : syms) out.push_back({s.name, s.symbol_type, s.line_start, s.line_end});
  return out;
}

}  // namespace graph_builder::symbols::test_support
