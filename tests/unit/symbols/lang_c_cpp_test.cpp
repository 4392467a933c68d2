#include "graph_builder/symbols/symbols.hpp"

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_c_cpp_internal.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>
#include "support/differential.hpp"
#include "support/match_offsets.hpp"
#include "support/symbol_rows.hpp"

namespace graph_builder::symbols {
namespace {

using test_support::Row;
using test_support::rows;
using testing::compare_on_random_texts;
using testing::plain_matches;
using testing::shapes_of;
using testing::texts_of;

struct Case {
  const char* label;
  std::string content;
  std::vector<Row> expected;
};

TEST(LangCCpp, FunctionsTypesAndTheirLines) {
  const std::vector<Case> cases = {
      {"empty", "", {}},
      // The leading white space of the pattern absorbs the blank line above.
      {"blank line above", "#include <stdio.h>\n\nint a(void) {\n}\n", {{"a", "use_case", 1, 3}}},
      {"below a non-blank line; if and while bodies are skipped",
       "#include <x.h>\nint main(int argc, char **argv) {\n  if (x) {\n  }\n  while (y) {\n  "
       "}\n}\n",
       {{"main", "use_case", 1, 6}}},
      {"signature over three lines is recorded at its first line",
       "static int\nparse_line(const char *line,\n           entry_t *out)\n{\n    return 0;\n}\n",
       {{"parse_line", "use_case", 0, 5}}},
      {"member definitions, star against the name and prototypes are not functions",
       "void Foo::bar() const {\n}\nint *make(void) {\n}\nint* make2(void) {\n}\nint "
       "proto(void);\n",
       {{"make2", "use_case", 4, 6}}},
      {"types and namespaces",
       "class Fwd;\nstruct stat st;\nenum class Color : int { Red };\nenum E { A };\n"
       "union U { int i; };\nnamespace app {\n}\nnamespace {\n}\ntypedef struct { int x; } T;\n"
       "template <class T> class Box {};\n",
       {{"Fwd", "model", 0, 10},
        {"stat", "model", 1, 10},
        {"Color", "model", 2, 10},
        {"E", "model", 3, 10},
        {"U", "model", 4, 10},
        {"app", "utility", 5, 10}}},
      {"a name keeps the type of the first pass that found it",
       "namespace foo {\n}\nint foo(void) {\n}\nstruct foo *p;\n",
       {{"foo", "utility", 0, 4}}},
      {"Unreal class and enum at their macro lines",
       "UCLASS()\nclass MYGAME_API AMyActor : public AActor\n{\n};\nUENUM(BlueprintType)\n"
       "enum class EKind : uint8\n{\n};\n",
       {{"AMyActor", "model", 0, 7}, {"EKind", "model", 4, 7}}},
      {"indented UCLASS is left to the type pass",
       "\tUCLASS()\n\tclass MYGAME_API UComp : public UActorComponent\n\t{\n\t};\n",
       {{"UComp", "model", 1, 3}}},
      // From the blank line, "UCLASS(" followed by a "{" before any ";" looks
      // like a function definition.
      {"indented UCLASS below a blank line",
       "\n\tUCLASS()\n\tclass MYGAME_API UComp : public UActorComponent\n\t{\n\t};\n",
       {{"UComp", "model", 2, 4}, {"UCLASS", "use_case", 0, 4}}},
      {"UFUNCTION with and without blank lines above, and with a nested parenthesis",
       "class A {\n\tUFUNCTION(BlueprintCallable)\n\tvoid Fire(int32 N);\n\n\n\tUFUNCTION()\n"
       "\tint32 Get() const { return 1; }\n\tUFUNCTION(meta=(X))\n\tvoid Reload();\n};\n",
       {{"Fire", "use_case", 1, 9},
        {"Get", "use_case", 3, 9},
        {"A", "model", 0, 9},
        {"UFUNCTION", "use_case", 3, 9}}},
      {"UFUNCTION at column 0 under a blank line",
       "#pragma once\n\nUFUNCTION()\nstatic FORCEINLINE bool Check(int x);\n",
       {{"Check", "use_case", 1, 3}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rows(extract_symbols_c_cpp(c.content, "src/x.c")), c.expected) << c.label;
  }
}

TEST(LangCCpp, SkipWordsNeverNameAFunction) {
  for (const char* word :
       {"if", "for", "while", "switch", "return", "sizeof", "catch", "else", "do"}) {
    const std::string text = std::string("void ") + word + "(int x) {\n}\n";
    EXPECT_TRUE(extract_symbols_c_cpp(text, "a.c").empty()) << word;
  }
  EXPECT_EQ(rows(extract_symbols_c_cpp("void new(int x) {\n}\n", "a.c")),
            (std::vector<Row>{{"new", "use_case", 0, 1}}));
}

TEST(LangCCpp, WindowIsFiftyLinesClampedToTheLastLine) {
  std::string text;
  for (int i = 0; i < 120; ++i) {
    text += i == 0 ? "int f(void) {\n" : i == 100 ? "int g(void) {\n" : "  x;\n";
  }
  EXPECT_EQ(rows(extract_symbols_c_cpp(text, "a.c")),
            (std::vector<Row>{{"f", "use_case", 0, 50}, {"g", "use_case", 100, 119}}));
}

TEST(LangCCpp, OnlyLineFeedsSeparateLines) {
  // A form feed inside a body shifts neither the next symbol's line nor the
  // lines its hash covers.
  const std::string text = "int a(void) {\n  x;\f y;\n}\nint b(void) {\n}\n";
  const auto syms = extract_symbols_c_cpp(text, "src/ring.c");
  ASSERT_EQ(syms.size(), 2U);
  EXPECT_EQ(syms[1].id, "src/ring.c::b");
  EXPECT_EQ(syms[1].line_start, 3);
  EXPECT_EQ(syms[1].line_end, 4);
  EXPECT_EQ(syms[1].body_hash, text::short_hash("int b(void) {\n}"));
  EXPECT_EQ(syms[0].body_hash, text::short_hash(text.substr(0, text.size() - 1)));
  EXPECT_TRUE(syms[0].exported);
  EXPECT_EQ(syms[0].confidence, "high");
}

// The hand-written scans must give exactly the matches of the plain patterns.
std::vector<regex::Spans> pattern_matches(std::string_view t) {
  static const regex::Regex kFunction(R"(^[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\([^;{]*\{)",
                                      regex::Flags::multiline);
  return plain_matches(kFunction, t);
}

std::vector<regex::Spans> unreal_pattern_matches(std::string_view t) {
  static const regex::Regex kUnrealFunction(
      R"(^\s*UFUNCTION\s*\([^)]*\)\s*\n\s*(?:virtual\s+|static\s+|FORCEINLINE\s+)*[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\()",
      regex::Flags::multiline);
  return plain_matches(kUnrealFunction, t);
}

TEST(LangCCpp, FunctionScanAgreesWithThePatternOnRandomInputs) {
  // Pieces that decide the pattern's outcome: names, digits, every member of
  // the return-type class, the parenthesis and the two stop characters, other
  // punctuation, and non-ASCII letters, marks, digits and white space.
  // Names, spaces, line feeds, "(" and "{" come more often, so that about one
  // input in ten holds a match.
  const std::vector<std::string> pieces = {
      "a",
      "a",
      "a",
      "b",
      "_",
      "x1",
      "1",
      "int",
      "if",
      " ",
      " ",
      " ",
      " ",
      "\n",
      "\n",
      "\n",
      "\t",
      "(",
      "(",
      "(",
      ")",
      "{",
      "{",
      "{",
      "}",
      ";",
      ":",
      "*",
      "&",
      "<",
      ">",
      ",",
      "#",
      "\xC3\xA9",      // é
      "\xE4\xB8\xAD",  // a CJK letter
      "\xCC\x81",      // combining acute accent
      "\xD9\xA3",      // Arabic-Indic digit three
      "\xC2\xA0",      // no-break space
      "\xE2\x80\xA8",  // line separator
      "\xE3\x80\x80",  // ideographic space
      "\x0C",          // form feed
  };
  // The generator must produce matches often enough to mean something.
  compare_on_random_texts({.seed = 20240611, .count = 200000, .with_results_above = 1000},
                          texts_of(pieces, {0, 24}), pattern_matches,
                          c_cpp_internal::function_definition_matches);
}

TEST(LangCCpp, FunctionScanAgreesWithThePatternOnNearMissDefinitions) {
  // Lines shaped like a definition, each slot sometimes filled with what
  // breaks it: a name after "::" or "*", a digit or non-ASCII first letter, a
  // missing space, a ";" before the brace, blank lines and line separators.
  const std::vector<std::vector<std::string>> slots = {
      {"", "", "\n", "  ", "\t", "#", "\xC3\xA9", "\n\n"},
      {"int", "a b", "Foo::", "x1", "*", "", "1", "int*", "<T>", "static int\n"},
      {" ", " ", "", "\n", "\xC2\xA0", "*", " *", "\xE2\x80\xA8", " & "},
      {"f", "f", "_g", "1x", "if", "\xC3\xA9", "x\xCC\x81", "a\xD9\xA3", "main"},
      {"", "", " ", "\n", "\t"},
      {"(", "(", "(", "", "{"},
      {"", "void", "a;b", "x{", "\n", ")(", "int a,\n int b"},
      {")", ")", ""},
      {" {", "\n{", ";", "", " const {", "{}", "\n\n", " ;{"},
      {"\n"},
  };
  compare_on_random_texts({.seed = 77, .count = 100000, .with_results_above = 20000},
                          shapes_of(slots, {1, 4}), pattern_matches,
                          c_cpp_internal::function_definition_matches);
}

TEST(LangCCpp, FunctionScanAgreesWithThePatternOnLongRunsAndEveryAsciiByte) {
  // Long return-type runs (the scan reads them sixteen bytes at a time), each
  // broken now and then by any ASCII byte, so that every byte value is met
  // at every offset of a block; plus the non-ASCII letters and white space.
  std::vector<std::string> pieces = {
      "int",
      "a",
      "b_",
      "x1",
      "Foo",
      "Z",
      " ",
      " ",
      " ",
      "\n",
      "\n",
      "\t",
      "::",
      "*",
      "&",
      "<",
      ">",
      "(",
      "(",
      "{",
      "{",
      ";",
      "\xC3\xA9",
      "\xE4\xB8\xAD",
      "\xCC\x81",
      "\xC2\xA0",
      "\xE3\x80\x80",
      "\xE2\x80\xA8",
  };
  const std::size_t common = pieces.size();
  for (int c = 1; c < 128; ++c) pieces.emplace_back(1, static_cast<char>(c));
  const std::span<const std::string> common_pieces(pieces.data(), common);
  // One piece in sixteen from all of them, the others from the common ones.
  auto make = [&](testing::RandomText& random) {
    return random.text({0, 120}, [&]() -> const std::string& {
      return random.one_in(16) ? random.pick(pieces) : random.pick(common_pieces);
    });
  };
  compare_on_random_texts({.seed = 160, .count = 100000, .with_results_above = 5000}, make,
                          pattern_matches, c_cpp_internal::function_definition_matches);
}

TEST(LangCCpp, UnrealFunctionScanAgreesWithThePatternOnRandomInputs) {
  const std::vector<std::string> pieces = {
      "UFUNCTION",
      "UFUNCTION",
      "UFUNCTION(",
      "UFUNCTION()\n",
      "(",
      "(",
      ")",
      ")",
      "\n",
      "\n",
      "\n",
      " ",
      " ",
      "\t",
      "static ",
      "virtual ",
      "FORCEINLINE ",
      "void",
      "x",
      "Fire",
      "1",
      "if",
      ";",
      "{",
      ":",
      "*",
      "&",
      "<T>",
      "\xC3\xA9",
      "\xC2\xA0",
      "\xE2\x80\xA8",
      "\xCC\x81",
      "=",
      "\"",
  };
  compare_on_random_texts({.seed = 4242, .count = 200000, .with_results_above = 500},
                          texts_of(pieces, {0, 20}), unreal_pattern_matches,
                          c_cpp_internal::unreal_function_matches);
}

TEST(LangCCpp, UnrealFunctionScanAgreesWithThePatternOnNearMissDeclarations) {
  const std::vector<std::vector<std::string>> slots = {
      {"", "", "\n", "\t", "\n\n\t", "x", " "},
      {"UFUNCTION", "UFUNCTION", "UFUNCTIONS", "UFUNCTION "},
      {"(", "(", "", " (", "\n("},
      {"", "BlueprintCallable", "meta=(X)", "Category = \"W\"", "\n"},
      {")", ")", "", "))"},
      {"\n", "\n", " \n", "", "\n\n", " x\n", "\xE2\x80\xA8"},
      {"\t", "", "  ", "\n"},
      {"", "virtual ", "static ", "FORCEINLINE ", "static virtual ", "virtual\n"},
      {"void", "int32", "", "const FVector&", "TArray<int>", "*", "1"},
      {" ", " ", "", "\n", "\xC2\xA0", " *"},
      {"Fire", "Fire", "_x", "2x", "if", "\xC3\xA9"},
      {"", " ", "\n"},
      {"(", "(", "", ";", "{"},
      {");", ") const {}", "", "\n"},
      {"\n"},
  };
  compare_on_random_texts({.seed = 99, .count = 100000, .with_results_above = 5000},
                          shapes_of(slots, {1, 3}), unreal_pattern_matches,
                          c_cpp_internal::unreal_function_matches);
}

TEST(LangCCpp, TypeScanAgreesWithThePlainPatternOnRandomInputs) {
  static const regex::Regex kPlainType(
      R"(^\s*(?:class|struct|union|namespace)\s+(?:\w+_API\s+)?([A-Za-z_]\w*)|^\s*enum\s+(?:class\s+)?(?:\w+_API\s+)?([A-Za-z_]\w*))",
      regex::Flags::multiline);
  // Declarations slot by slot: indentation of every kind of white space
  // (blank lines, no-break, ideographic and line-separator spaces), text
  // before the keyword, the keywords whole, cut, inside longer words and in
  // upper case, "enum class", "_API" macros and their near misses, names with
  // digit or non-ASCII first letters.
  const std::vector<std::vector<std::string>> slots = {
      {"", "", "  ", "\n", "\n\n\t", "\t", "\xC2\xA0", "\xE3\x80\x80", "\xE2\x80\xA8", "x ", "//",
       "typedef ", "\xC3\xA9"},
      {"class ", "struct ", "union ", "namespace ", "enum ", "enum class ", "enum class", "class",
       "subclass ", "Struct ", "namespace\n", "enum\xC2\xA0", "unions ", "enum struct "},
      {"", "", "", "MYGAME_API ", "A_API\n", "_API ", "MY_API", "X_APIY ", "class "},
      {"Foo", "stat", "_x", "1x", "\xC3\xA9", "a\xCC\x81", "A\xC3\xA9", "", "{", "class", "enum"},
      {"", " {", ";", "\n", " : int", "<T>"},
      {"", "\n", "\n};\n"},
  };
  auto plain = [](std::string_view t) {
    std::vector<regex::Spans> expected;
    kPlainType.for_each(t, [&](const regex::Match& m) {
      const int g = m.has(1) ? 1 : 2;
      const std::size_t name_end = m.group_start(g) + m.group(g).size();
      EXPECT_EQ(m.end(), name_end);
      // The scan adds the keyword that begins the match as group 3.
      const std::string_view text = m.text();
      const std::size_t keyword = m.start() + (text.size() - text::lstrip(text).size());
      std::size_t keyword_size = 0;
      for (std::string_view w : {"class", "struct", "union", "namespace", "enum"}) {
        if (t.substr(keyword).starts_with(w)) keyword_size = w.size();
      }
      regex::Spans spans = m.spans();
      spans.groups[2] = {keyword, keyword + keyword_size};
      expected.push_back(spans);
      return true;
    });
    return expected;
  };
  compare_on_random_texts({.seed = 1972, .count = 150000, .with_results_above = 50000},
                          shapes_of(slots, {1, 4}), plain, c_cpp_internal::type_matches);
}

TEST(LangCCpp, UnrealTypeScansAgreeWithThePlainPatternsOnRandomInputs) {
  static const regex::Regex kPlainType(
      R"(^(?:UCLASS|USTRUCT|UINTERFACE)\s*\([^)]*\)\s*\n\s*(?:class|struct)\s+(?:\w+_API\s+)?([A-Za-z_]\w*))",
      regex::Flags::multiline);
  static const regex::Regex kPlainEnum(
      R"(^UENUM\s*\([^)]*\)\s*\n\s*enum\s+(?:class\s+)?(?:\w+_API\s+)?([A-Za-z_]\w*))",
      regex::Flags::multiline);
  const std::vector<std::vector<std::string>> slots = {
      {"", "", "\n", " ", "x", "U", "\nU", "\xC3\xA9"},
      {"UCLASS", "USTRUCT", "UINTERFACE", "UENUM", "UENUM", "UCLASSX", "uclass", "UStruct"},
      {"(", "(", " (", "\n(", ""},
      {"", "Blueprintable", "meta=(X)", "\n", ")"},
      {")", ")", ""},
      {"\n", "\n", " \n ", "", "\n\n", " ", "\xE2\x80\xA8", "\n\t\n  ", "x\n"},
      {"class", "struct", "enum", "enum class", "class\n", "classy",
       "enum\xC2\xA0"
       "class"},
      {" ", " ", "", "\n", "\t\n"},
      {"", "MYGAME_API ", "A_API\n", "_API ", "MY_API", "X_APIY "},
      {"AActor", "_x", "1x", "", "\xC3\xA9", "E : uint8",
       "A\xC3\xA9"
       "b",
       "\xE3\x80\x80"
       "A"},
      {"", " {", ";", "\n"},
      {"\n"},
  };
  // The same texts for both.
  {
    SCOPED_TRACE("class");
    compare_on_random_texts(
        {.seed = 1234, .count = 200000, .with_results_above = 4000}, shapes_of(slots, {1, 3}),
        [](std::string_view t) { return plain_matches(kPlainType, t); },
        [](std::string_view t) {
          return c_cpp_internal::unreal_type_matches(t,
                                                     c_cpp_internal::lines_starting_with(t, 'U'));
        });
  }
  {
    SCOPED_TRACE("enum");
    compare_on_random_texts(
        {.seed = 1234, .count = 200000, .with_results_above = 3000}, shapes_of(slots, {1, 3}),
        [](std::string_view t) { return plain_matches(kPlainEnum, t); },
        [](std::string_view t) {
          return c_cpp_internal::unreal_enum_matches(t,
                                                     c_cpp_internal::lines_starting_with(t, 'U'));
        });
  }
}

}  // namespace
}  // namespace graph_builder::symbols
