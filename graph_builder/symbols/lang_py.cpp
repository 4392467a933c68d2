#include "graph_builder/symbols/extractors.hpp"
#include "graph_builder/symbols/recorder.hpp"

#include <string>
#include <unordered_set>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/block_end.hpp"

namespace graph_builder::symbols {

std::vector<Symbol> extract_symbols_py(std::string_view content, std::string_view file_path) {
  using regex::Flags;
  using regex::Match;
  using regex::Regex;
  // Not anchored and caseless: decorated methods at any indentation add their
  // names, and "@APP.GET(" counts too. At most one more decorator line may sit
  // between the route decorator and the def.
  // matches: "@router.post('/items')\nasync def create_item("
  static const Regex kRouteDecorator(
      R"(@(?:app|router|blueprint)\.(?:get|post|put|delete|patch)\s*\([^)]*\)(?:\n[ \t]*@[^\n]*)?\n[ \t]*(?:async\s+)?def\s+([A-Za-z_]\w*)\s*\()",
      Flags::multiline | Flags::caseless);
  // matches: "def load(path):" and "async def handler():" in the first column
  static const Regex kFunction(R"(^(?:async\s+)?def\s+([A-Za-z_]\w*)\s*\()", Flags::multiline);
  // matches: "class Foo(Base):" and "class _Cache:"
  static const Regex kClass(R"(^class\s+([A-Za-z_]\w*))", Flags::multiline);

  std::unordered_set<std::string> route_names;
  kRouteDecorator.for_each(content, [&](const Match& m) {
    route_names.emplace(m.group(1));
    return true;
  });

  SymbolRecorder rec(content, file_path);
  auto add_sym = [&](std::string_view name, std::size_t match_start, std::string_view sym_type) {
    const bool exported = !name.starts_with('_');
    rec.add_sym(name, rec.line_of(match_start), sym_type, "high", exported, _find_block_end_py);
  };

  kFunction.for_each(content, [&](const Match& m) {
    const std::string_view name = m.group(1);
    // Private, special and test functions are not symbols (case-sensitive).
    if (name.starts_with('_') || name.starts_with("test_")) return true;
    const bool is_route = route_names.count(std::string(name)) != 0;
    add_sym(name, m.start(), is_route ? "api_route" : "use_case");
    return true;
  });
  kClass.for_each(content, [&](const Match& m) {
    add_sym(m.group(1), m.start(), "model");
    return true;
  });
  return rec.take();
}

}  // namespace graph_builder::symbols
