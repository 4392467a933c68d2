#include "graph_builder/symbols/families_internal.hpp"
#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_py_internal.hpp"
#include "graph_builder/symbols/line_starts_internal.hpp"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace graph_builder::symbols {

namespace py_internal {

// Both patterns begin at the first column with one of their first words, so
// each runs, "\G"-anchored, only at the lines that begin with one.
// "(*NO_START_OPT)" keeps the engine from first looking for a character every
// match needs (the "(") up to the end of the text for each of those lines.
void for_each_function(std::string_view t, const std::vector<std::size_t>& lines,
                       const std::function<bool(const regex::Match&)>& fn) {
  // matches: "def load(path):" and "async def handler():" in the first column
  static const regex::Regex kFunction(R"((*NO_START_OPT)\G^(?:async\s+)?def\s+([A-Za-z_]\w*)\s*\()",
                                      regex::Flags::multiline);
  static constexpr std::array<std::string_view, 2> kFirst{"async", "def"};
  for_each_at_letter_lines(t, lines, kFirst, kFunction, fn);
}

void for_each_class(std::string_view t, const std::vector<std::size_t>& lines,
                    const std::function<bool(const regex::Match&)>& fn) {
  // matches: "class Foo(Base):" and "class _Cache:"
  static const regex::Regex kClass(R"((*NO_START_OPT)\G^class\s+([A-Za-z_]\w*))",
                                   regex::Flags::multiline);
  static constexpr std::array<std::string_view, 1> kFirst{"class"};
  for_each_at_letter_lines(t, lines, kFirst, kClass, fn);
}

}  // namespace py_internal

std::vector<SymbolRecord> find_symbols_py(std::string_view content,
                                          const languages::Profile& profile) {
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

  std::unordered_set<std::string> route_names;
  kRouteDecorator.for_each(content, [&](const Match& m) {
    route_names.emplace(m.group(1));
    return true;
  });

  SymbolRecorder rec(content, profile);
  auto add_sym = [&](std::string_view name, std::size_t match_start, std::string_view sym_type) {
    const bool exported = !name.starts_with('_');
    rec.add_sym(name, rec.line_of(match_start), sym_type, "high", exported);
  };

  const std::vector<std::size_t> lines = letter_lines(content);
  py_internal::for_each_function(content, lines, [&](const Match& m) {
    const std::string_view name = m.group(1);
    // Private, special and test functions are not symbols (case-sensitive).
    if (name.starts_with('_') || name.starts_with("test_")) return true;
    const bool is_route = route_names.count(std::string(name)) != 0;
    add_sym(name, m.start(), is_route ? "api_route" : "use_case");
    return true;
  });
  py_internal::for_each_class(content, lines, [&](const Match& m) {
    add_sym(m.group(1), m.start(), "model");
    return true;
  });
  return rec.take();
}

}  // namespace graph_builder::symbols
