#pragma once
// The searched block-end rules the recorder applies when a profile names
// them: brace counting (BlockRule::braces: TS/JS, PHP) and indentation
// tracking (BlockRule::indentation: Python); a fixed window needs no search.
// Both take the extractor's LF-only line list and a 0-based declaration line,
// and return a 0-based line index; neither fails.

#include <cstdint>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {

// Lines scanned for a closing brace, the declaration's own line included.
inline constexpr std::int64_t kBraceScanLines = 400;
// Block length assumed when no closing brace is found within the scan.
inline constexpr std::int64_t kBraceFallbackLines = 100;

// The line on which the first opened brace block (from line `start` on)
// closes: "{" and "}" are counted on raw text, except those preceded by a
// backslash. With no close within 400 lines: min(start + 100, last line).
std::int64_t _find_block_end_ts(const std::vector<std::string_view>& lines, std::int64_t start);

// The last non-blank line of the indented block opened on line `start`: the
// block ends before the first later line at or left of the declaration's
// indentation that begins a def, async def, class or decorator. Indentation
// counts Unicode white-space code points; white-space-only lines are blank.
std::int64_t _find_block_end_py(const std::vector<std::string_view>& lines, std::int64_t start);

}  // namespace graph_builder::symbols
