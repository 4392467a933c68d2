#include "graph_builder/symbols/extractors.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/text/unicode.hpp"

#include <array>
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

}  // namespace

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
  // matches: "int main(int argc, char **argv) {" and "static int\nparse(a,\n  b)\n{"
  static const regex::Regex kFunction(R"(^[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\([^;{]*\{)",
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
  kFunction.for_each(content, [&](const regex::Match& m) {
    if (is_skip_word(m.group(1))) return true;
    return add(m.group(1), m, "use_case");
  });
  return rec.take();
}

}  // namespace graph_builder::symbols
