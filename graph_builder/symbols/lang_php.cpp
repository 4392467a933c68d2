#include "graph_builder/symbols/families_internal.hpp"
#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/runs.hpp"
#include "graph_builder/regex/scan_steps.hpp"
#include "graph_builder/regex/span.hpp"
#include "graph_builder/symbols/lang_php_internal.hpp"
#include "graph_builder/text/unicode.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {
namespace {

using regex::previous_start;

bool word_char_before(std::string_view s, std::size_t pos) {
  return pos > 0 && regex::classify(s, previous_start(s, pos)).word;
}

// Whether the function whose keyword starts at `keyword` is public. PHP's
// default visibility is public, so only a "private" or "protected" among the
// modifier words directly before the keyword hides it. The walk back stops
// at the first thing that is neither white space nor a whole modifier word,
// so "private $x; public function f()" and "/* private */ function f()" are
// public, while "private\nfunction f()" is not.
bool php_function_exported(std::string_view content, std::size_t keyword) {
  static constexpr std::array<std::string_view, 6> kModifiers{"public", "private", "protected",
                                                              "static", "final",   "abstract"};
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

constexpr std::size_t kNone = std::string_view::npos;

// Start of the visibility word or white-space character of the function
// pattern's first group that ends at `end`, or kNone. The words and white
// space begin with different characters, so at most one of them fits.
std::size_t prefix_ending_at(std::string_view t, std::size_t end) {
  static constexpr std::array<std::string_view, 3> kVisibility{"public", "private", "protected"};
  if (end == 0) return kNone;
  const std::size_t prev = previous_start(t, end);
  if (regex::classify(t, prev).space) return prev;
  for (std::string_view w : kVisibility) {
    if (end >= w.size() && t.substr(end - w.size(), w.size()) == w) return end - w.size();
  }
  return kNone;
}

}  // namespace

namespace php_internal {

// Each start of the pattern leads to one "function" at most: the first group
// is one word or one character, "static\s+" is taken when it is there, and
// "function" must follow directly. So every match is found from its keyword
// f: it starts either at the group before "static" and the white space in
// front of f, or at the group right before f, whichever is earlier and not
// inside the previous match (a plain search moves on from the match end).
// "function" cannot overlap those words, so the keywords come in the order
// of their matches. The name part is the same for both starts.
std::vector<regex::Spans> function_matches(std::string_view t) {
  static constexpr std::string_view kKeyword = "function";
  static constexpr std::string_view kStatic = "static";
  std::vector<regex::Spans> out;
  std::size_t pos = 0;  // where the plain search would go on
  for (std::size_t f = regex::find_literal(t, kKeyword); f != kNone;
       f = regex::find_literal(t, kKeyword, std::max(f + 1, pos))) {
    std::size_t start = kNone;
    // Through "static": the white space before f, never read back past pos.
    std::size_t b = f;
    while (b > pos && regex::classify(t, previous_start(t, b)).space) b = previous_start(t, b);
    if (b < f && b >= pos + kStatic.size() &&
        t.substr(b - kStatic.size(), kStatic.size()) == kStatic) {
      const std::size_t s = prefix_ending_at(t, b - kStatic.size());
      if (s != kNone && s >= pos) start = s;
    }
    if (start == kNone) {
      const std::size_t s = prefix_ending_at(t, f);
      if (s == kNone || s < pos) continue;
      start = s;
    }
    const std::size_t name_begin = regex::skip_spaces(t, f + kKeyword.size());
    if (name_begin == f + kKeyword.size() || name_begin == t.size()) continue;
    if (!regex::is_ascii_name_start(static_cast<unsigned char>(t[name_begin]))) continue;
    const std::size_t name_end = regex::skip_word(t, name_begin + 1);
    out.push_back({{start, name_end},
                   {regex::Span{name_begin, name_end}, regex::Span{f, f + kKeyword.size()}}});
    pos = name_end;
  }
  return out;
}

void for_each_type(std::string_view t, const std::function<bool(const regex::Match&)>& fn) {
  // matches: "final class InvoiceController", "enum Role: string", and the
  // keyword anywhere else, comments and longer words included
  static const regex::Regex kType(R"(\G(?:class|interface|trait|enum)\s+([A-Za-z_]\w*))");
  static const regex::WordFinder kTypeWords{"class", "interface", "trait", "enum"};
  // Every match begins with a keyword: the pattern runs, anchored, at each
  // one in text order, from where the plain search would go on.
  for (std::size_t at = kTypeWords.find(t, 0); at != kNone;) {
    std::size_t resume = at + 1;
    if (std::optional<regex::Match> m = kType.search(t, at)) {
      if (!fn(*m)) return;
      resume = std::max(resume, m->end());
    }
    at = kTypeWords.find(t, resume);
  }
}

}  // namespace php_internal

std::vector<SymbolRecord> find_symbols_php(std::string_view content,
                                           const languages::Profile& profile) {
  SymbolRecorder rec(content, profile);
  // Functions: "\nfunction first_segment(" (from the line break above), "    public
  // static function routes(" and "// the function that formats" (name "that").
  for (const regex::Spans& m : php_internal::function_matches(content)) {
    rec.add_sym(m.group(1).in(content), rec.line_of(m.whole.begin), "use_case", "high",
                php_function_exported(content, m.group(2).begin));
  }
  php_internal::for_each_type(content, [&](const regex::Match& m) {
    rec.add_sym(m.group(1), rec.line_of(m.start()), "model", "high", true);
    return true;
  });
  return rec.take();
}

}  // namespace graph_builder::symbols
