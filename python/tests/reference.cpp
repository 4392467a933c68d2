// Prints what the C++ library's single-text functions give, for the Python
// module's differential test. Reads {"cases": [...]} on standard input, each
// case {"content", "file_id", "ext", "path", "root", "names", "ranges"}, and
// writes one result object per case on standard output, as JSON:
//   "for_file"   extract_symbols_for_file(content, file_id, ext)
//   "families"   each extract_symbols_<tag>(content, file_id), by tag
//   "keywords"   extract_keywords(content, ext)
//   "summary"    make_summary(content, file_id, ext)
//   "relations"  parse_relations(path, content, root)
//   "split_camel", "name_keywords"   of each of "names"
//   "body_hashes"  body_hash(lines, start, end) of each [start, end] of
//                  "ranges", the lines being content split at every "\n"
//                  (a final "\n" leaves an empty last line, as str.split does)
//   "symbol_nodes", "contains_edges"  append_symbol_nodes of "for_file"

#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "graph_builder/graph/assemble.hpp"
#include "graph_builder/graph/json.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/keywords.hpp"
#include "graph_builder/text/summary.hpp"

namespace {

namespace gb = graph_builder;
using Json = nlohmann::ordered_json;

Json symbols_json(const std::vector<gb::symbols::Symbol>& syms) {
  Json out = Json::array();
  for (const gb::symbols::Symbol& s : syms) {
    out.push_back(Json{{"id", s.id},
                       {"name", s.name},
                       {"symbol_type", s.symbol_type},
                       {"line_start", s.line_start},
                       {"line_end", s.line_end},
                       {"body_hash", s.body_hash},
                       {"confidence", s.confidence},
                       {"exported", s.exported},
                       {"keywords", s.keywords}});
  }
  return out;
}

Json edges_json(const std::vector<gb::graph::Edge>& edges) {
  Json out = Json::array();
  for (const gb::graph::Edge& e : edges) {
    out.push_back(Json{{"from", e.from}, {"to", e.to}, {"rel", e.rel}});
  }
  return out;
}

Json value_json(const gb::graph::JsonValue& v) {
  using Type = gb::graph::JsonValue::Type;
  switch (v.type()) {
    case Type::null:
      return nullptr;
    case Type::boolean:
      return v.as_bool();
    case Type::integer:
      return std::stoll(v.text());
    case Type::real:
      return std::stod(v.text());
    case Type::string:
      return v.text();
    case Type::array: {
      Json out = Json::array();
      for (const gb::graph::JsonValue& item : v.items()) out.push_back(value_json(item));
      return out;
    }
    case Type::object: {
      Json out = Json::object();
      for (const auto& [key, value] : v.members()) out[key] = value_json(value);
      return out;
    }
  }
  return nullptr;
}

std::vector<std::string_view> split_at_lf(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return lines;
}

using Extractor = std::vector<gb::symbols::Symbol> (*)(std::string_view, std::string_view);

}  // namespace

int main() {
  std::ios::sync_with_stdio(false);
  std::ostringstream bytes;
  bytes << std::cin.rdbuf();
  const Json input = Json::parse(bytes.str());
  const std::vector<std::pair<const char*, Extractor>> families{
      {"ts", gb::symbols::extract_symbols_ts},   {"py", gb::symbols::extract_symbols_py},
      {"rs", gb::symbols::extract_symbols_rs},   {"java", gb::symbols::extract_symbols_java},
      {"cs", gb::symbols::extract_symbols_cs},   {"rb", gb::symbols::extract_symbols_rb},
      {"php", gb::symbols::extract_symbols_php}, {"c_cpp", gb::symbols::extract_symbols_c_cpp}};
  Json results = Json::array();
  for (const Json& c : input.at("cases")) {
    const std::string content = c.at("content").get<std::string>();
    const std::string file_id = c.at("file_id").get<std::string>();
    const std::string ext = c.at("ext").get<std::string>();
    Json r = Json::object();
    const std::vector<gb::symbols::Symbol> syms =
        gb::symbols::extract_symbols_for_file(content, file_id, ext);
    r["for_file"] = symbols_json(syms);
    Json families_json = Json::object();
    for (const auto& [tag, extract] : families) {
      families_json[tag] = symbols_json(extract(content, file_id));
    }
    r["families"] = families_json;
    r["keywords"] = gb::text::extract_keywords(content, ext);
    r["summary"] = gb::text::make_summary(content, file_id, ext);
    r["relations"] = edges_json(gb::graph::parse_relations(c.at("path").get<std::string>(), content,
                                                           c.at("root").get<std::string>()));
    Json split = Json::array();
    Json name_keywords = Json::array();
    for (const Json& name : c.at("names")) {
      split.push_back(gb::text::split_camel(name.get<std::string>()));
      name_keywords.push_back(gb::text::name_keywords(name.get<std::string>()));
    }
    r["split_camel"] = split;
    r["name_keywords"] = name_keywords;
    const std::vector<std::string_view> lines = split_at_lf(content);
    Json hashes = Json::array();
    for (const Json& range : c.at("ranges")) {
      hashes.push_back(gb::symbols::body_hash(lines, range.at(0).get<std::int64_t>(),
                                              range.at(1).get<std::int64_t>()));
    }
    r["body_hashes"] = hashes;
    std::vector<gb::graph::Node> nodes;
    std::vector<gb::graph::Edge> edges;
    gb::graph::append_symbol_nodes(nodes, edges, syms, file_id, ext);
    Json node_dicts = Json::array();
    for (const gb::graph::Node& n : nodes) node_dicts.push_back(value_json(n.as_dict()));
    r["symbol_nodes"] = node_dicts;
    r["contains_edges"] = edges_json(edges);
    results.push_back(r);
  }
  std::cout << results.dump();
  return 0;
}
