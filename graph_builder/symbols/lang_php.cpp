#include "graph_builder/symbols/extractors.hpp"
#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/block_end.hpp"
#include "graph_builder/text/code_points.hpp"
#include "graph_builder/text/unicode.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {
namespace {

using text::previous_start;

bool word_char_before(std::string_view s, std::size_t pos) {
  static const regex::Regex kWordChar(R"(\w)");
  return pos > 0 && kWordChar.match_start(s.substr(previous_start(s, pos))).has_value();
}

// Whether the function whose keyword starts at `keyword` is public. PHP's
// default visibility is public, so only a "private" or "protected" among the
// modifier words directly before the keyword hides it. The walk back stops
// at the first thing that is neither white space nor a whole modifier word,
// so "private $x; public function f()" and "/* private */ function f()" are
// public, while "private\nfunction f()" is not.
bool php_function_exported(std::string_view content, std::size_t keyword) {
  static constexpr std::array<std::string_view, 6> kModifiers{
      "public", "private", "protected", "static", "final", "abstract"};
  std::size_t pos = keyword;
  for (;;) {
    while (pos > 0) {
      std::size_t prev = previous_start(content, pos);
      std::size_t at = prev;
      if (!text::is_space(text::next_code_point(content, at))) break;
      pos = prev;
    }
    std::string_view word;
    for (std::string_view w : kModifiers) {
      if (pos >= w.size() && content.substr(pos - w.size(), w.size()) == w &&
          !word_char_before(content, pos - w.size())) {
        word = w;
        break;
      }
    }
    if (word.empty()) return true;
    if (word == "private" || word == "protected") return false;
    pos -= word.size();
  }
}

}  // namespace

std::vector<Symbol> extract_symbols_php(std::string_view content, std::string_view file_path) {
  // matches: "\nfunction first_segment(" (from the line break above), "    public
  // static function routes(" and "// the function that formats" (name "that")
  static const regex::Regex kFunction(
      R"((?:public|private|protected|\s)(?:static\s+)?function\s+([A-Za-z_]\w*))");
  // matches: "final class InvoiceController", "enum Role: string", and the
  // keyword anywhere else, comments and longer words included
  static const regex::Regex kType(R"((?:class|interface|trait|enum)\s+([A-Za-z_]\w*))");

  SymbolRecorder rec(content, file_path);
  kFunction.for_each(content, [&](const regex::Match& m) {
    // The match's prefix is a visibility word, white space or "static", none
    // of which contains "function", so the first one is the keyword.
    const std::size_t keyword = m.start() + m.text().find("function");
    rec.add_sym(m.group(1), rec.line_of(m.start()), "use_case", "high",
                php_function_exported(content, keyword), _find_block_end_ts);
    return true;
  });
  kType.for_each(content, [&](const regex::Match& m) {
    rec.add_sym(m.group(1), rec.line_of(m.start()), "model", "high", true,
                _find_block_end_ts);
    return true;
  });
  return rec.take();
}

}  // namespace graph_builder::symbols
