#include "graph_builder/symbols/symbols.hpp"

#include <utility>

#include "graph_builder/check.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/symbols/find_symbols.hpp"
#include "graph_builder/symbols/recorder.hpp"
#include "graph_builder/text/short_hash.hpp"

namespace graph_builder::symbols {
namespace {

// The profile of the first language-table row read by `extractor`: every row
// of one extractor shares its block rule, so any of them ends bodies alike.
const languages::Profile& family_profile(languages::SymbolExtractor extractor) {
  const languages::Profile* found = nullptr;
  for (const languages::Profile& p : languages::all_profiles()) {
    if (p.symbols == extractor) {
      found = &p;
      break;
    }
  }
  GB_CHECK(found != nullptr);
  return *found;
}

// The records as finished symbols: ids prefixed with `file_path`, bodies
// hashed all together.
std::vector<Symbol> finish(std::string_view content, std::string_view file_path,
                           std::vector<SymbolRecord> records) {
  std::vector<std::string_view> bodies;
  bodies.reserve(records.size());
  for (const SymbolRecord& r : records) bodies.push_back(r.body.in(content));
  std::vector<std::string> hashes = text::short_hashes(bodies);
  std::vector<Symbol> out;
  out.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    SymbolRecord& r = records[i];
    Symbol s;
    s.id = std::string(file_path) + "::" + r.name;
    s.name = std::move(r.name);
    s.symbol_type = std::move(r.symbol_type);
    s.line_start = r.line_start;
    s.line_end = r.line_end;
    s.body_hash = std::move(hashes[i]);
    s.confidence = std::move(r.confidence);
    s.exported = r.exported;
    s.keywords = std::move(r.keywords);
    out.push_back(std::move(s));
  }
  return out;
}

std::vector<Symbol> extract_family(std::string_view content, std::string_view file_path,
                                   languages::SymbolExtractor extractor) {
  return finish(content, file_path, find_symbols(content, family_profile(extractor)));
}

}  // namespace

std::string body_hash(const std::vector<std::string_view>& lines, std::int64_t start,
                      std::int64_t end) {
  std::string joined;
  return text::short_hash(_body_text(lines, start, end, joined));
}

std::vector<Symbol> extract_symbols_ts(std::string_view content, std::string_view file_path) {
  return extract_family(content, file_path, languages::SymbolExtractor::ts);
}
std::vector<Symbol> extract_symbols_py(std::string_view content, std::string_view file_path) {
  return extract_family(content, file_path, languages::SymbolExtractor::py);
}
std::vector<Symbol> extract_symbols_rs(std::string_view content, std::string_view file_path) {
  return extract_family(content, file_path, languages::SymbolExtractor::rs);
}
std::vector<Symbol> extract_symbols_java(std::string_view content, std::string_view file_path) {
  return extract_family(content, file_path, languages::SymbolExtractor::java);
}
std::vector<Symbol> extract_symbols_cs(std::string_view content, std::string_view file_path) {
  return extract_family(content, file_path, languages::SymbolExtractor::cs);
}
std::vector<Symbol> extract_symbols_rb(std::string_view content, std::string_view file_path) {
  return extract_family(content, file_path, languages::SymbolExtractor::rb);
}
std::vector<Symbol> extract_symbols_php(std::string_view content, std::string_view file_path) {
  return extract_family(content, file_path, languages::SymbolExtractor::php);
}
std::vector<Symbol> extract_symbols_c_cpp(std::string_view content, std::string_view file_path) {
  return extract_family(content, file_path, languages::SymbolExtractor::c_cpp);
}

std::vector<Symbol> extract_symbols_for_file(std::string_view content, std::string_view file_id,
                                             std::string_view ext) {
  return finish(content, file_id, find_symbols(content, languages::profile(ext)));
}

}  // namespace graph_builder::symbols
