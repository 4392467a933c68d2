#include "graph_builder/symbols/block_end.hpp"

#include <algorithm>
#include <cstddef>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::symbols {
namespace {

// Occurrences of `brace` in `line` not directly preceded by a backslash
// (a "\{" in a regular-expression literal or escaped string is not code).
std::int64_t unescaped_count(std::string_view line, char brace) {
  std::int64_t n = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == brace && (i == 0 || line[i - 1] != '\\')) ++n;
  }
  return n;
}

}  // namespace

std::int64_t _find_block_end_ts(const std::vector<std::string_view>& lines, std::int64_t start) {
  const auto n = static_cast<std::int64_t>(lines.size());
  const std::int64_t limit = std::min(start + kBraceScanLines, n);
  std::int64_t depth = 0;
  bool found_open = false;
  for (std::int64_t i = std::max<std::int64_t>(start, 0); i < limit; ++i) {
    const std::string_view line = lines[static_cast<std::size_t>(i)];
    const std::int64_t opens = unescaped_count(line, '{');
    const std::int64_t closes = unescaped_count(line, '}');
    depth += opens - closes;
    if (opens > 0) found_open = true;
    // A depth already negative before the first "{" is kept on purpose: that
    // opening line then ends the block at once.
    if (found_open && depth <= 0) return i;
  }
  return std::min(start + kBraceFallbackLines, n - 1);
}

std::int64_t _find_block_end_py(const std::vector<std::string_view>& lines, std::int64_t start) {
  // matches: "def f(", "    async def g(", "class C:" and "@app.get(" at a line start
  static const regex::Regex kNextDefinition(R"(\s*(?:async\s+)?def\s+|class\s+|@)");
  const auto n = static_cast<std::int64_t>(lines.size());
  if (start < 0 || start + 1 >= n) return start;
  const std::size_t base_indent = text::leading_space_count(lines[static_cast<std::size_t>(start)]);
  std::int64_t last_content = start;
  for (std::int64_t i = start + 1; i < n; ++i) {
    const std::string_view line = lines[static_cast<std::size_t>(i)];
    if (text::strip(line).empty()) continue;
    if (text::leading_space_count(line) <= base_indent && kNextDefinition.match_start(line)) {
      return last_content;
    }
    last_content = i;
  }
  return last_content;
}

}  // namespace graph_builder::symbols
