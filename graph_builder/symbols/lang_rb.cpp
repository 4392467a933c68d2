#include "graph_builder/symbols/families_internal.hpp"
#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/runs.hpp"
#include "graph_builder/symbols/lang_rb_internal.hpp"
#include "graph_builder/text/unicode.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {

namespace rb_internal {

// Both patterns are "^\s*" and a tail that begins with a keyword: the plain
// search tries every line start, these search the keywords and read the
// white space before each back to a line start.
void for_each_method(std::string_view t, const std::function<bool(const regex::Match&)>& fn) {
  // matches: "  def total?" (name "total") and "  def self.build(items)" (name "build")
  static const regex::Regex kMethod(R"(^\s*def\s+(?:self\.)?([A-Za-z_]\w*))",
                                    regex::Flags::multiline);
  static const regex::Regex kMethodTail(R"(\Gdef\s+(?:self\.)?([A-Za-z_]\w*))");
  regex::for_each_from_line_start(t, "def", text::is_space, kMethodTail, kMethod, fn);
}

void for_each_type(std::string_view t, const std::function<bool(const regex::Match&)>& fn) {
  // matches: "module Shop" and "  class Cart < Base"; not "class << self"
  static const regex::Regex kType(R"(^\s*(?:class|module)\s+([A-Za-z_]\w*))",
                                  regex::Flags::multiline);
  static const regex::Regex kTypeTail(R"(\G(?:class|module)\s+([A-Za-z_]\w*))");
  static const regex::WordFinder kTypeWords{"class", "module"};
  regex::for_each_from_line_start_found(
      t, [&](std::size_t from) { return kTypeWords.find(t, from); }, text::is_space,
      [&](std::size_t at) { return kTypeTail.search(t, at).has_value(); }, kType, fn);
}

}  // namespace rb_internal

std::vector<SymbolRecord> find_symbols_rb(std::string_view content,
                                          const languages::Profile& profile) {
  SymbolRecorder rec(content, profile);
  auto add = [&](const regex::Match& m, std::string_view sym_type) {
    std::string_view name = m.group(1);
    // Private-by-convention names ("_debug_dump") are not symbols, and do not
    // block a later public declaration of the same name either.
    if (!name.empty() && name.front() == '_') return true;
    rec.add_sym(name, rec.line_of(m.start()), sym_type, "high", true);
    return true;
  };
  rb_internal::for_each_method(content, [&](const regex::Match& m) { return add(m, "use_case"); });
  rb_internal::for_each_type(content, [&](const regex::Match& m) { return add(m, "model"); });
  return rec.take();
}

}  // namespace graph_builder::symbols
