#include "graph_builder/symbols/extractors.hpp"
#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/regex/regex.hpp"

#include <cstdint>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {
namespace {

// Ruby symbols extend a fixed number of lines past their first line.
constexpr std::int64_t kWindow = 40;

}  // namespace

std::vector<Symbol> extract_symbols_rb(std::string_view content, std::string_view file_path) {
  // matches: "  def total?" (name "total") and "  def self.build(items)" (name "build")
  static const regex::Regex kMethod(R"(^\s*def\s+(?:self\.)?([A-Za-z_]\w*))",
                                    regex::Flags::multiline);
  // matches: "module Shop" and "  class Cart < Base"; not "class << self"
  static const regex::Regex kType(R"(^\s*(?:class|module)\s+([A-Za-z_]\w*))",
                                  regex::Flags::multiline);

  SymbolRecorder rec(content, file_path);
  auto window = [&rec](const std::vector<std::string_view>&, std::int64_t line_no) {
    return rec.window_end(line_no, kWindow);
  };
  auto add = [&](const regex::Match& m, std::string_view sym_type) {
    std::string_view name = m.group(1);
    // Private-by-convention names ("_debug_dump") are not symbols, and do not
    // block a later public declaration of the same name either.
    if (!name.empty() && name.front() == '_') return true;
    rec.add_sym(name, rec.line_of(m.start()), sym_type, "high", true, window);
    return true;
  };
  kMethod.for_each(content, [&](const regex::Match& m) { return add(m, "use_case"); });
  kType.for_each(content, [&](const regex::Match& m) { return add(m, "model"); });
  return rec.take();
}

}  // namespace graph_builder::symbols
