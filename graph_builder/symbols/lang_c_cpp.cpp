#include "graph_builder/symbols/families_internal.hpp"
#include "graph_builder/symbols/recorder.hpp"

#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/scan_steps.hpp"
#include "graph_builder/regex/span.hpp"
#include "graph_builder/symbols/lang_c_cpp_internal.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {
namespace {

using regex::end_of_declarator_run;
using regex::next_line_start;
using regex::skip_spaces;
using regex::Span;
using regex::Spans;

// Keywords the function patterns capture in the name position ("if (x) {")
// that never name a function.
bool is_skip_word(std::string_view name) {
  static constexpr std::array<std::string_view, 9> kSkip{
      "if", "for", "while", "switch", "return", "sizeof", "catch", "else", "do"};
  for (std::string_view w : kSkip) {
    if (w == name) return true;
  }
  return false;
}

constexpr std::size_t kNone = std::string_view::npos;

// First offset at or after `from` holding `a` or `b`, or the text size.
// Remembers its last answer, which also holds for any later `from` up to it;
// callers ask with offsets that only grow, so all their searches together
// read the text once.
class FindCache {
 public:
  FindCache(std::string_view t, char a, char b) : t_(t), a_(a), b_(b) {}
  std::size_t operator()(std::size_t from) {
    if (from < from_ || from > at_) {
      from_ = from;
      at_ = std::min(regex::find_either(t_, a_, b_, from), t_.size());
    }
    return at_;
  }

 private:
  std::string_view t_;
  char a_;
  char b_;
  std::size_t from_ = 1;
  std::size_t at_ = 0;
};

// Offset of the "(" of "(?:W1|W2|...)\s*\(" at `s`, one of the words being
// one of `macros`, or kNone.
std::size_t macro_paren(std::string_view t, std::size_t s,
                        std::span<const std::string_view> macros) {
  for (std::string_view w : macros) {
    if (t.substr(s, w.size()) != w) continue;
    const std::size_t open = skip_spaces(t, s + w.size());
    return open < t.size() && t[open] == '(' ? open : kNone;
  }
  return kNone;
}

// Every successive match of a multi-line Unreal macro pattern
// "^(?:W1|W2|...)\s*\([^)]*\)TAIL" (the words `macros`, all beginning with
// "U"), with its group 1. `lines` are
// the line starts that begin with "U", in text order; `anchored` is the
// pattern preceded by "(*NO_START_OPT)\G". The plain search tries every line
// start; this one only the given lines, never before the end of the previous
// match: the plain search's matches.
//
// "[^)]*\)" ends at the first ")" after the "(", so everything after it
// depends on that ")" alone: once a line reaching a ")" fails, every later
// line reaching the same one fails too and is not tried (a run of "UCLASS("
// lines with one ")" at the end would otherwise read the run once per line),
// and without a ")" ahead no line can match. "(*NO_START_OPT)" keeps the
// engine from looking ahead for the ")" again at every line.
std::vector<Spans> macro_matches(std::string_view t, const std::vector<std::size_t>& lines,
                                 std::span<const std::string_view> macros,
                                 const regex::Regex& anchored) {
  std::vector<Spans> out;
  FindCache next_close(t, ')', ')');
  std::size_t pos = 0;               // where the plain search would go on
  std::size_t failed_close = kNone;  // a ")" from which the pattern failed
  for (std::size_t s : lines) {
    if (s < pos) continue;
    const std::size_t open = macro_paren(t, s, macros);
    if (open == kNone) continue;
    const std::size_t close = next_close(open + 1);
    if (close == t.size()) break;
    if (close == failed_close) continue;
    if (std::optional<regex::Match> m = anchored.search(t, s)) {
      out.push_back({m->span(0), {m->span(1)}});
      pos = m->end();
    } else {
      failed_close = close;
    }
  }
  return out;
}

}  // namespace

// Scans and patterns that stand in for a plain pattern with the same matches
// (declared in lang_c_cpp_internal.hpp for the differential tests).
namespace c_cpp_internal {

// Every successive match of the function-definition pattern
//   "^[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\([^;{]*\{"  (multi-line)
// with its group 1, in linear time.
// The pattern itself backtracks quadratically: every line start of a long
// run re-scans the run, and every "(" scans on to the next ";" or "{" (a
// 300000-byte file of "a b(" lines with one ";" at the end takes seconds).
//
// Why one pass gives exactly the pattern's matches: from a line start s the
// class run cannot contain "(", so the "(" must be the first character g
// outside the class at or after s, and the name is fixed by
// `regex::declarator_name_before`. "[^;{]*\{" then succeeds exactly when the first ";" or
// "{" after g is "{", and the match ends right after it. Only "the lazy run
// needs one character" depends on s, and it holds for s when it holds for
// any later line start of the same run, so the first line start of a run
// decides for all of them, and the search resumes after g or after the match.
std::vector<Spans> function_definition_matches(std::string_view t) {
  std::vector<Spans> out;
  FindCache next_stop(t, ';', '{');
  std::size_t p = 0;
  for (;;) {
    const std::size_t s = next_line_start(t, p);
    if (s == kNone || s >= t.size()) break;
    const std::size_t g = end_of_declarator_run(t, s);
    // Every later line start lies in the same run and also reaches the end.
    if (g == t.size()) break;
    p = g + 1;
    if (t[g] != '(') continue;
    const Span name = regex::declarator_name_before(t, s, g);
    if (!name.present()) continue;
    const std::size_t stop = next_stop(g + 1);
    if (stop == t.size() || t[stop] != '{') continue;
    out.push_back({{s, stop + 1}, {name}});
    p = stop + 1;
  }
  return out;
}

// Every successive match of the Unreal function pattern
//   "^\s*UFUNCTION\s*\([^)]*\)\s*\n\s*(?:virtual\s+|static\s+|FORCEINLINE\s+)*
//    [\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\("  (multi-line)
// in the same form, in linear time. The pattern's modifier group and its
// class run can share every "static " of a long run, and "\s*\n\s*" can pick
// any line feed of a blank run, so it backtracks exponentially or
// quadratically and then gives up at the engine's limits, losing later
// matches (a UFUNCTION line followed by 1000 "static " lines).
//
// Why one pass gives exactly the pattern's matches: "^\s*" leads every line
// start of a white-space run to the same first non-space character u, which
// must begin "UFUNCTION", then optional white space and "("; "[^)]*\)" ends at
// the first ")" after it, at c. After c everything up to the "(" that ends
// the match is white space or in the class (the modifiers are too), so that
// "(" is the first character g outside the class after c; white space
// holding a line feed must follow c directly, and taking its first line feed
// leaves the most room for the rest, which is the function-definition tail
// starting after that line feed (the modifier group may as well match
// nothing: the class run covers what it would). The match ends after g.
std::vector<Spans> unreal_function_matches(std::string_view t) {
  static constexpr std::string_view kMacro = "UFUNCTION";
  std::vector<Spans> out;
  FindCache next_close(t, ')', ')');
  std::size_t p = 0;
  for (;;) {
    const std::size_t s = next_line_start(t, p);
    if (s == kNone || s >= t.size()) break;
    const std::size_t u = skip_spaces(t, s);
    if (u == t.size()) break;
    p = u + 1;
    if (t.substr(u, kMacro.size()) != kMacro) continue;
    const std::size_t open = skip_spaces(t, u + kMacro.size());
    if (open == t.size() || t[open] != '(') continue;
    const std::size_t close = next_close(open + 1);
    if (close == t.size()) continue;
    const std::size_t after_close = skip_spaces(t, close + 1);
    const std::size_t lf = t.substr(0, after_close).find('\n', close + 1);
    if (lf == kNone) continue;
    const std::size_t g = end_of_declarator_run(t, after_close);
    if (g == t.size() || t[g] != '(') continue;
    const Span name = regex::declarator_name_before(t, lf + 1, g);
    if (!name.present()) continue;
    out.push_back({{s, g + 1}, {name}});
    p = g + 1;
  }
  return out;
}

std::vector<std::size_t> lines_starting_with(std::string_view t, char first) {
  std::vector<std::size_t> out;
  if (!t.empty() && t[0] == first) out.push_back(0);
  const char lf_first[2] = {'\n', first};
  const std::string_view needle(lf_first, 2);
  for (std::size_t q = regex::find_literal(t, needle); q != kNone;
       q = regex::find_literal(t, needle, q + 1)) {
    out.push_back(q + 1);
  }
  return out;
}

std::vector<Spans> unreal_type_matches(std::string_view t,
                                       const std::vector<std::size_t>& u_lines) {
  // matches: "UCLASS(Blueprintable)\nclass MYGAME_API AWeapon : public AActor"
  // (the macro at column 0). Written as
  //   "^(?:UCLASS|USTRUCT|UINTERFACE)\s*\([^)]*\)\s*\n\s*(?:class|struct)\s+..."
  // but with "\s*\n\s*" as "(?>\s*?\n)\s*+": the keyword cannot start with
  // white space, so both forms must cover exactly the white space after ")"
  // and need one line feed in it; the plain form tries every line feed of a
  // blank run and every split around it (a UCLASS line followed by 300000
  // blank lines took over a minute), the atomic form takes the first one.
  static const regex::Regex kUnrealType(
      R"((*NO_START_OPT)\G^(?:UCLASS|USTRUCT|UINTERFACE)\s*\([^)]*\)(?>\s*?\n)\s*+(?:class|struct)\s+(?:\w+_API\s+)?([A-Za-z_]\w*))",
      regex::Flags::multiline);
  static constexpr std::array<std::string_view, 3> kMacros{"UCLASS", "USTRUCT", "UINTERFACE"};
  return macro_matches(t, u_lines, kMacros, kUnrealType);
}

std::vector<Spans> unreal_enum_matches(std::string_view t,
                                       const std::vector<std::size_t>& u_lines) {
  // matches: "UENUM(BlueprintType)\nenum class EFireMode : uint8"; "\s*\n\s*"
  // rewritten as for the class pattern.
  static const regex::Regex kUnrealEnum(
      R"((*NO_START_OPT)\G^UENUM\s*\([^)]*\)(?>\s*?\n)\s*+enum\s+(?:class\s+)?(?:\w+_API\s+)?([A-Za-z_]\w*))",
      regex::Flags::multiline);
  static constexpr std::array<std::string_view, 1> kMacros{"UENUM"};
  return macro_matches(t, u_lines, kMacros, kUnrealEnum);
}

// The plain search tries "^\s*" and the rest at every line start; so does
// this one, by hand: "\s*" must stop right before the keyword (no keyword
// begins with white space), so the rest of the pattern, anchored there,
// decides alone, and only where one of the keywords stands.
// When it fails, it fails for every line start of the white space before it
// too (blank lines included), so the search goes on after it.
std::vector<Spans> type_matches(std::string_view t) {
  // The type pattern after its "^\s*".
  static const regex::Regex kTypeTail(
      R"((*NO_START_OPT)\G(?:(?:class|struct|union|namespace)\s+(?:\w+_API\s+)?([A-Za-z_]\w*)|enum\s+(?:class\s+)?(?:\w+_API\s+)?([A-Za-z_]\w*)))");
  static constexpr std::array<std::string_view, 5> kKeywords{"class", "struct", "union",
                                                             "namespace", "enum"};
  std::vector<Spans> out;
  std::size_t p = 0;
  for (;;) {
    const std::size_t s = next_line_start(t, p);
    if (s == kNone || s >= t.size()) break;
    const std::size_t u = skip_spaces(t, s);
    if (u == t.size()) break;
    p = u + 1;
    const std::string_view rest = t.substr(u);
    const auto keyword = std::find_if(kKeywords.begin(), kKeywords.end(),
                                      [&rest](std::string_view w) { return rest.starts_with(w); });
    if (keyword == kKeywords.end()) continue;
    const std::optional<regex::Match> m = kTypeTail.search(t, u);
    if (!m) continue;
    out.push_back({{s, m->end()}, {m->span(1), m->span(2), Span{u, u + keyword->size()}}});
    p = m->end();
  }
  return out;
}

}  // namespace c_cpp_internal

std::vector<SymbolRecord> find_symbols_c_cpp(std::string_view content,
                                             const languages::Profile& profile) {
  SymbolRecorder rec(content, profile);

  // Unreal types: every match begins at a line that begins with "U".
  const std::vector<std::size_t> u_lines = c_cpp_internal::lines_starting_with(content, 'U');
  for (auto scan : {c_cpp_internal::unreal_type_matches, c_cpp_internal::unreal_enum_matches}) {
    for (const Spans& m : scan(content, u_lines)) {
      rec.add_sym(m.group(1).in(content), rec.line_of(m.whole.begin), "model", "high", true);
    }
  }
  // Unreal functions: "\tUFUNCTION(BlueprintCallable)\n\tvoid Fire(int32 Shots);",
  // with any blank lines above the macro line.
  for (const Spans& m : c_cpp_internal::unreal_function_matches(content)) {
    const std::string_view name = m.group(1).in(content);
    if (is_skip_word(name)) continue;
    rec.add_sym(name, rec.line_of(m.whole.begin), "use_case", "high", true);
  }
  // Types: "namespace app", "  struct stat st;", "enum class Color : int".
  for (const Spans& m : c_cpp_internal::type_matches(content)) {
    const Span name = m.group(1).present() ? m.group(1) : m.group(2);
    // The keyword is the match's first word: "namespace" makes a utility.
    const bool is_namespace = m.group(3).in(content) == "namespace";
    rec.add_sym(name.in(content), rec.line_of(m.whole.begin), is_namespace ? "utility" : "model",
                "high", true);
  }
  // Function definitions with their opening brace: "int main(int argc, char **argv) {",
  // and "static int\nparse(a,\n  b)\n{" recorded at the "static int" line.
  for (const Spans& m : c_cpp_internal::function_definition_matches(content)) {
    const std::string_view name = m.group(1).in(content);
    if (is_skip_word(name)) continue;
    rec.add_sym(name, rec.line_of(m.whole.begin), "use_case", "high", true);
  }
  return rec.take();
}

}  // namespace graph_builder::symbols
