#include "graph_builder/symbols/families_internal.hpp"
#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_rs_internal.hpp"
#include "graph_builder/symbols/line_starts_internal.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {

namespace rs_internal {

// The type pattern begins at the first column with one of its first words,
// so it runs, "\G"-anchored, only at the lines that begin with one.
// "(*NO_START_OPT)": no engine search ahead for a needed character per line.
void for_each_type(std::string_view t, const std::vector<std::size_t>& lines,
                   const std::function<bool(const regex::Match&)>& fn) {
  // matches: "pub struct Store", "enum Mode" and "trait Codec" at a line start
  static const regex::Regex kType(
      R"((*NO_START_OPT)\G^(?P<pub>pub\s+)?(?:struct|enum|trait)\s+([A-Za-z_]\w*))",
      regex::Flags::multiline);
  static constexpr std::array<std::string_view, 4> kFirst{"pub", "struct", "enum", "trait"};
  for_each_at_letter_lines(t, lines, kFirst, kType, fn);
}

void for_each_pub_function(std::string_view t, const std::vector<std::size_t>& lines,
                           const std::function<bool(const regex::Match&)>& fn) {
  // matches: "pub fn open(", "pub(crate) fn load(" and "pub async fn serve(" at a
  // line start
  static const regex::Regex kPubFn(
      R"((*NO_START_OPT)\G^pub(?:\s*\([^)]*\))?\s+(?:async\s+)?fn\s+([A-Za-z_]\w*))",
      regex::Flags::multiline);
  static const regex::Regex kScopeOpen(R"((*NO_START_OPT)\Gpub\s*\()");
  static const regex::Regex kAfterScope(R"((*NO_START_OPT)\G\s+(?:async\s+)?fn\s+[A-Za-z_])");
  static constexpr std::array<std::string_view, 1> kFirst{"pub"};
  regex::ClosingParen paren(t, kScopeOpen, kAfterScope);
  for_each_at_letter_lines(t, lines, kFirst, kPubFn, paren, fn);
}

}  // namespace rs_internal

std::vector<SymbolRecord> find_symbols_rs(std::string_view content,
                                          const languages::Profile& profile) {
  const std::vector<std::size_t> lines = letter_lines(content);
  SymbolRecorder rec(content, profile);
  rs_internal::for_each_pub_function(content, lines, [&](const regex::Match& m) {
    rec.add_sym(m.group(1), rec.line_of(m.start()), "use_case", "high", true);
    return true;
  });
  rs_internal::for_each_type(content, lines, [&](const regex::Match& m) {
    rec.add_sym(m.group(2), rec.line_of(m.start()), "model", "high", m.has("pub"));
    return true;
  });
  return rec.take();
}

}  // namespace graph_builder::symbols
