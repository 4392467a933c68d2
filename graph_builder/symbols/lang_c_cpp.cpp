#include "graph_builder/symbols/extractors.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/unicode.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace graph_builder::symbols {
namespace {

// C and C++ symbols extend a fixed number of lines past their first line.
constexpr std::int64_t kWindow = 50;

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

// One code point of the text and the classes the function-definition pattern
// asks about.
struct CodePoint {
  std::size_t size;  // bytes
  bool space;        // \s
  bool word;         // \w (Unicode letters, digits, underscore, ...)
};

CodePoint classify(std::string_view t, std::size_t pos) {
  const auto c = static_cast<unsigned char>(t[pos]);
  if (c < 0x80) {
    const bool space = (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20);
    const bool word = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                      (c >= 'a' && c <= 'z') || c == '_';
    return {1, space, word};
  }
  // Outside ASCII the engine decides what \w is, so both agree by construction.
  static const regex::Regex kWordChar(R"(\w)");
  std::size_t end = pos;
  const char32_t cp = text::next_code_point(t, end);
  const std::string_view one = t.substr(pos, end - pos);
  return {end - pos, text::is_space(cp), kWordChar.match_start(one).has_value()};
}

// Start of the code point that ends at byte `pos` (pos > 0).
std::size_t previous_start(std::string_view t, std::size_t pos) {
  do {
    --pos;
  } while (pos > 0 && (static_cast<unsigned char>(t[pos]) & 0xC0) == 0x80);
  return pos;
}

}  // namespace

namespace c_cpp_internal {

// Every successive match of the function-definition pattern
//   "^[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\([^;{]*\{"  (multi-line)
// as {match start, group 1 start, group 1 end, match end}, computed in linear
// time. The pattern itself backtracks quadratically: every line start of a
// long run re-scans the run, and every "(" scans on to the next ";" or "{"
// (a 300000-byte file of "a b(" lines with one ";" at the end takes many
// seconds).
//
// Why a single pass gives exactly the pattern's matches: from a line start s
// the class run [\w:*&<>\s] cannot contain "(", so the "(" the pattern needs
// must be the first character g outside the class at or after s. Before it,
// "\s+ name \s*" can only be the last word of the run: the greedy name must
// end where only white space separates it from g, and \s+ must end right at
// the name, so the name is the whole word run before the trailing white space
// at g, it must start with [A-Za-z_], and at least one white-space character
// must precede it after the first character of the run (the lazy part takes
// at least one). "[^;{]*\{" then succeeds exactly when the first ";" or "{"
// after g is "{", and the match ends right after it. None of this depends on
// s except that the white space before the name must start after s, so the
// first line start of a run decides for every later line start of the same
// run, and the search resumes after g (on failure) or after the match.
std::vector<std::array<std::size_t, 4>> function_definition_matches(std::string_view t) {
  std::vector<std::array<std::size_t, 4>> out;
  const std::size_t n = t.size();
  // Cache of the first ";" or "{" at or after any offset in
  // [stop_from, stop_at]; the searched offsets only grow.
  std::size_t stop_from = 1;
  std::size_t stop_at = 0;
  std::size_t p = 0;
  for (;;) {
    std::size_t s = p;
    if (p != 0 && t[p - 1] != '\n') {
      const std::size_t lf = t.find('\n', p);
      if (lf == std::string_view::npos) break;
      s = lf + 1;
    }
    if (s >= n) break;
    std::size_t g = s;
    while (g < n) {
      const CodePoint c = classify(t, g);
      const bool punct = t[g] == ':' || t[g] == '*' || t[g] == '&' || t[g] == '<' || t[g] == '>';
      if (!c.space && !c.word && !punct) break;
      g += c.size;
    }
    // Every later line start lies in the same run and also reaches the end.
    if (g == n) break;
    p = g + 1;
    if (g == s || t[g] != '(') continue;

    std::size_t name_end = g;
    while (name_end > s && classify(t, previous_start(t, name_end)).space) {
      name_end = previous_start(t, name_end);
    }
    std::size_t name_begin = name_end;
    while (name_begin > s && classify(t, previous_start(t, name_begin)).word) {
      name_begin = previous_start(t, name_begin);
    }
    if (name_begin == name_end || name_begin == s) continue;
    const char first = t[name_begin];
    if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first == '_')) {
      continue;
    }
    const std::size_t space_before = previous_start(t, name_begin);
    if (space_before == s || !classify(t, space_before).space) continue;

    if (g + 1 < stop_from || g + 1 > stop_at) {
      stop_from = g + 1;
      stop_at = std::min(t.find_first_of(";{", g + 1), n);
    }
    if (stop_at == n || t[stop_at] != '{') continue;
    out.push_back({s, name_begin, name_end, stop_at + 1});
    p = stop_at + 1;
  }
  return out;
}

}  // namespace c_cpp_internal

std::vector<Symbol> extract_symbols_c_cpp(std::string_view content, std::string_view file_path) {
  // matches: "UCLASS(Blueprintable)\nclass MYGAME_API AWeapon : public AActor"
  // (the macro at column 0)
  static const regex::Regex kUnrealType(
      R"(^(?:UCLASS|USTRUCT|UINTERFACE)\s*\([^)]*\)\s*\n\s*(?:class|struct)\s+(?:\w+_API\s+)?([A-Za-z_]\w*))",
      regex::Flags::multiline);
  // matches: "UENUM(BlueprintType)\nenum class EFireMode : uint8"
  static const regex::Regex kUnrealEnum(
      R"(^UENUM\s*\([^)]*\)\s*\n\s*enum\s+(?:class\s+)?(?:\w+_API\s+)?([A-Za-z_]\w*))",
      regex::Flags::multiline);
  // matches: "\tUFUNCTION(BlueprintCallable)\n\tvoid Fire(int32 Shots);"
  static const regex::Regex kUnrealFunction(
      R"(^\s*UFUNCTION\s*\([^)]*\)\s*\n\s*(?:virtual\s+|static\s+|FORCEINLINE\s+)*[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\()",
      regex::Flags::multiline);
  // matches: "namespace app", "  struct stat st;", "enum class Color : int"
  static const regex::Regex kType(
      R"(^\s*(?:class|struct|union|namespace)\s+(?:\w+_API\s+)?([A-Za-z_]\w*)|^\s*enum\s+(?:class\s+)?(?:\w+_API\s+)?([A-Za-z_]\w*))",
      regex::Flags::multiline);

  SymbolRecorder rec(content, file_path);
  auto window = [&rec](const std::vector<std::string_view>&, std::int64_t line_no) {
    return rec.window_end(line_no, kWindow);
  };
  auto add = [&](std::string_view name, const regex::Match& m, std::string_view sym_type) {
    rec.add_sym(name, rec.line_of(m.start()), sym_type, "high", true, window);
    return true;
  };

  kUnrealType.for_each(content, [&](const regex::Match& m) { return add(m.group(1), m, "model"); });
  kUnrealEnum.for_each(content, [&](const regex::Match& m) { return add(m.group(1), m, "model"); });
  kUnrealFunction.for_each(content, [&](const regex::Match& m) {
    if (is_skip_word(m.group(1))) return true;
    return add(m.group(1), m, "use_case");
  });
  kType.for_each(content, [&](const regex::Match& m) {
    std::string_view name = m.has(1) ? m.group(1) : m.group(2);
    // The keyword is the match's first word: "namespace" makes a utility.
    const bool is_namespace = text::lstrip(m.text()).starts_with("namespace");
    return add(name, m, is_namespace ? "utility" : "model");
  });
  // Function definitions with their opening brace: "int main(int argc, char **argv) {",
  // and "static int\nparse(a,\n  b)\n{" recorded at the "static int" line.
  for (const auto& [start, name_begin, name_end, end] :
       c_cpp_internal::function_definition_matches(content)) {
    const std::string_view name = content.substr(name_begin, name_end - name_begin);
    if (is_skip_word(name)) continue;
    rec.add_sym(name, rec.line_of(start), "use_case", "high", true, window);
  }
  return rec.take();
}

}  // namespace graph_builder::symbols
