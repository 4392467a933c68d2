// The hand-driven scans of the keyword passes against the plain patterns they
// stand in for: same matches, same groups, on random texts made of the
// characters that decide a match.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/span.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/routes.hpp"
#include "support/differential.hpp"
#include "support/keyword_scan_patterns.hpp"
#include "support/match_offsets.hpp"

namespace graph_builder::text {
namespace {

using declarations::c_function_matches;
using declarations::c_type_matches;
using declarations::java_method_matches;
using declarations::java_type_matches;
using declarations::kotlin_declaration_matches;
using declarations::swift_function_matches;
using declarations::swift_type_matches;
using regex::Span;
using regex::Spans;
using routes::http_call_matches;
using routes::route_matches;
using testing::compare_on_random_texts;
using testing::Pieces;
using testing::plain_c_function;
using testing::plain_c_type;
using testing::plain_http_call;
using testing::plain_java_method;
using testing::plain_java_type;
using testing::plain_kotlin_declaration;
using testing::plain_matches;
using testing::plain_route;
using testing::plain_swift_function;
using testing::plain_swift_type;
using testing::shapes_of;
using testing::Slots;
using testing::texts_of;

// The matches of `plain`, as a function of the text.
auto matches_of(const regex::Regex& plain) {
  return [&plain](std::string_view t) { return plain_matches(plain, t); };
}

// Characters under a caseless match: U+017F is a caseless "s", U+212A a
// caseless "k"; U+00A0, U+3000 and U+2028 are white space.
const char* const kLongS = "\xC5\xBF";
const char* const kKelvin = "\xE2\x84\xAA";
const char* const kNbsp = "\xC2\xA0";
const char* const kIdeographicSpace = "\xE3\x80\x80";
const char* const kLineSeparator = "\xE2\x80\xA8";
const char* const kEAcute = "\xC3\xA9";

// A match whose groups 1 and 2 are `g1` and `g2` (absent by default).
Spans match(Span whole, Span g1, Span g2 = {}) { return {whole, {g1, g2}}; }

TEST(KeywordScans, RouteScanFindsTheLeftmostReceiver) {
  const struct {
    const char* text;
    std::vector<Spans> want;
  } cases[] = {
      // "router" starts before the "r" that ends it.
      {"router.get('/a')", {match({0, 14}, {7, 10}, {12, 14})}},
      {"x = customer .Post( \"/o/n\"", {match({11, 25}, {14, 18}, {21, 25})}},
      {"APP@handlefunc(/h)", {match({0, 17}, {4, 14}, {16, 17})}},
      {"app.get(`/x`)", {}},
      {"app.gets('/x')", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plain_matches(plain_route(), c.text), c.want) << c.text;
    EXPECT_EQ(route_matches(c.text), c.want) << c.text;
  }
}

TEST(KeywordScans, RouteScanAgreesWithThePatternOnRandomInputs) {
  // Receivers, anchors, verbs with their "(", quoted paths, and single
  // characters that break or bridge them: letters of the words, white space
  // of one and of several bytes, quotes, ")" and non-ASCII letters.
  const Pieces pieces = {
      "app",
      "router",
      "r",
      "R",
      "mux",
      "API",
      "xr",
      "rout",
      "ap",
      ".",
      ".",
      "@",
      " .",
      "@\t",
      "get(",
      "POST(",
      "po\xC5\xBFt (",
      "put",
      "delete(",
      "patch\n(",
      "handle(",
      "HandleFunc(",
      "handlefun(",
      "(",
      "app.",
      "r.",
      "Router .",
      "mux@",
      ".get(",
      ".Put (",
      "('/",
      "( \"/",
      "'/a",
      "\"/b/c",
      "/x",
      "`/y",
      "' a",
      "\"",
      "'",
      "/",
      ")",
      " ",
      "\n",
      kNbsp,
      kIdeographicSpace,
      kLineSeparator,
      kEAcute,
      kKelvin,
      kLongS,
      "s",
      "p",
      "i",
      "x",
  };
  compare_on_random_texts({.seed = 20240612, .count = 500000, .with_results_above = 4000},
                          texts_of(pieces, {0, 14}), matches_of(plain_route()), route_matches);
}

TEST(KeywordScans, RouteScanAgreesWithThePatternOnNearMissRegistrations) {
  const Slots slots = {
      {"", " ", "\n", "x", "ro", "app.", kEAcute, "r."},
      {"app", "router", "Router", "r", "mux", "api", "API", "rout", "ap", "user", "ma", ""},
      {"", "", " ", kNbsp, "\n\t", kIdeographicSpace, "x", "\x1c", "\x0b\r"},
      {".", ".", "@", "", ",", ".."},
      {"", "", " ", kNbsp, "\n", kLineSeparator, "\x1f", "\x0c"},
      {"get", "post", "po\xC5\xBFt", "put", "delete", "PATCH", "handle", "handlefunc", "handlefun",
       "gett", "ge"},
      {"", "", " ", kIdeographicSpace},
      {"(", "(", "(", "", "["},
      {"", "", " ", "\n", kNbsp},
      {"'", "\"", "/", "`", "", "x"},
      {"/a/b", "a", "", "a b", "a)", "{id}/x", "'", kEAcute,
       "a\xC2\xA0"
       "b"},
      {"'", ")", "", " ", "\"", "/"},
  };
  compare_on_random_texts({.seed = 4711, .count = 100000, .with_results_above = 10000},
                          shapes_of(slots, {1, 4}), matches_of(plain_route()), route_matches);
}

TEST(KeywordScans, HttpCallScanFindsTheCallee) {
  const struct {
    const char* text;
    std::vector<Spans> want;
  } cases[] = {
      {"fetch('/a')", {match({0, 10}, {7, 9})}},
      // U+017F is a caseless "s" (two bytes).
      {"x=reque\xC5\xBFts.GET (\"https://h/p\")", {match({2, 30}, {18, 29})}},
      // The scheme matches in any case.
      {"axios.post(`HTTP://x`)", {match({0, 21}, {12, 20})}},
      {"axios.patch('/a')", {}},
      {"fetch(/a/)", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plain_matches(plain_http_call(), c.text), c.want) << c.text;
    EXPECT_EQ(http_call_matches(c.text), c.want) << c.text;
  }
}

TEST(KeywordScans, HttpCallScanAgreesWithThePatternOnRandomInputs) {
  // Callees whole and in parts, "(", quotes and backticks, URL starts, and
  // single characters that break or bridge them, U+017F standing for "s".
  const Pieces pieces = {
      "fetch",
      "FETCH",
      "fetc",
      "axios",
      "axio\xC5\xBF",
      "requests",
      "reque\xC5\xBFts",
      "request",
      ".",
      ".get",
      ".POST",
      ".po\xC5\xBFt",
      ".put",
      ".delete",
      ".patch",
      "get",
      "h",
      "t",
      "e",
      "(",
      "(",
      "(",
      "('",
      "(\"",
      "(`",
      "( '",
      "'",
      "\"",
      "`",
      "/",
      "/a",
      "//",
      "http://",
      "https://x",
      "HTTPS://",
      "http:/",
      " ",
      "\n",
      "\t",
      kNbsp,
      kIdeographicSpace,
      kLineSeparator,
      kEAcute,
      kKelvin,
      ")",
      "fetch('/",
      "axios.get(\"",
      "requests.delete(`",
      "'/x'",
  };
  compare_on_random_texts({.seed = 20240613, .count = 500000, .with_results_above = 4000},
                          texts_of(pieces, {0, 14}), matches_of(plain_http_call()),
                          http_call_matches);
}

TEST(KeywordScans, HttpCallScanAgreesWithThePatternOnNearMissCalls) {
  const Slots slots = {
      {"", " ", "\n", "x", "a", "re", "(", kEAcute, "s."},
      {"fetch", "Fetch", "axios.", "AXIO\xC5\xBF.", "requests.", "reque\xC5\xBFt\xC5\xBF.",
       "requests", "axios", "fetc", "axios..", ""},
      {"", "", "get", "post", "po\xC5\xBFt", "put", "delete", "DELETE", "patch", "ge"},
      {"", "", " ", kNbsp, "\n\t", kIdeographicSpace, "x", "\x1d", "\x0b"},
      {"(", "(", "(", "", ")", "(("},
      {"", "", " ", kNbsp, "\n", kLineSeparator, "\x1e", "\r\x0c"},
      {"'", "\"", "`", "", "x", "''"},
      {"/", "http://", "https://", "HTTPS://", "http:/", "ftp://", "", "//"},
      {"a", "a/b", "", "a b", kEAcute, "{id}", "'", "?q=1"},
      {"'", "\"", "`", "", " ", ")"},
  };
  compare_on_random_texts({.seed = 815, .count = 200000, .with_results_above = 8000},
                          shapes_of(slots, {1, 4}), matches_of(plain_http_call()),
                          http_call_matches);
}

TEST(KeywordScans, JavaMethodScanAgreesWithThePatternOnRandomInputs) {
  // Modifiers, the words the look-ahead refuses, types with "<>[]", names,
  // digits, white space of one and several bytes, non-ASCII letters, "(" and
  // the punctuation that ends a stretch (".", "=", ";", "{", ")").
  const Pieces pieces = {
      "public",
      "private",
      "protected",
      "static",
      "final",
      "publi",
      "class",
      "if",
      "for",
      "while",
      "return",
      "returns",
      "void",
      "int",
      "List<Entry>",
      "String[]",
      "<",
      ">",
      "[",
      "]",
      "x",
      "_a",
      "a1",
      "9",
      "foo",
      "Foo",
      " ",
      " ",
      " ",
      "\t",
      "\n",
      "\n  ",
      kNbsp,
      kIdeographicSpace,
      kLineSeparator,
      kEAcute,
      "\xE4\xB8\xAD",
      "(",
      "(",
      "(",
      " (",
      ")",
      ";",
      ".",
      "=",
      "{",
      ",",
      "@",
      " int ",
      "public void ",
      " x ",
      "\tList<T> ",
  };
  compare_on_random_texts({.seed = 20240615, .count = 300000, .with_results_above = 10000},
                          texts_of(pieces, {0, 16}), matches_of(plain_java_method()),
                          java_method_matches);
}

TEST(KeywordScans, JavaMethodScanAgreesWithThePatternOnNearMissDeclarations) {
  const Slots slots = {
      {"", "\n", "\n    ", "  ", "x.", "= ", "{", ";\n", kNbsp},
      {"", "public ", "private static ", "final", "protected\t", "static  final ", "publicx "},
      {"void", "int", "List<Entry>", "Map<K, V>", "String[]", "return", "if", "class", "new", "9x",
       "", kEAcute, "a.b", "x\xE4\xB8\xAD"},
      {" ", " ", "", "\n", "\t ", kIdeographicSpace, kLineSeparator},
      {"run", "_go", "a9", "9a", "", "for", "While", kEAcute, "f\xC3\xA9"},
      {"", "", " ", "\n", kNbsp},
      {"(", "(", "(", "", ")", "()"},
      {"", "int a", ") {", ");", "x("},
  };
  compare_on_random_texts({.seed = 5150, .count = 200000, .with_results_above = 50000},
                          shapes_of(slots, {1, 4}), matches_of(plain_java_method()),
                          java_method_matches);
}

// Names, digits, every member of the declarator class, "(" and ";", other
// punctuation, line feeds, and non-ASCII letters, marks, digits and white
// space (which the engine, not ASCII tables, classifies).
const Pieces kCPieces = {
    "a",
    "a",
    "b",
    "_",
    "x1",
    "1",
    "int",
    "if",
    "static",
    "struct",
    "class",
    "enum",
    "namespace",
    "union",
    "classy",
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
    "}",
    ";",
    ";",
    ":",
    "*",
    "&",
    "<",
    ">",
    ",",
    "#",
    kEAcute,
    "\xE4\xB8\xAD",  // a CJK letter
    "\xCC\x81",      // combining acute accent
    "\xD9\xA3",      // Arabic-Indic digit three
    kNbsp,
    kLineSeparator,
    kIdeographicSpace,
    "\x0C",
};

TEST(KeywordScans, CFunctionScanAgreesWithThePatternOnRandomInputs) {
  compare_on_random_texts({.seed = 20240616, .count = 300000, .with_results_above = 5000},
                          texts_of(kCPieces, {0, 24}), matches_of(plain_c_function()),
                          c_function_matches);
}

TEST(KeywordScans, CFunctionScanAgreesWithThePatternOnNearMissDeclarations) {
  // Lines shaped like a declaration, each slot sometimes filled with what
  // breaks it; the tail may run on over later lines up to a ";".
  const Slots slots = {
      {"", "", "\n", "  ", "\t", "#", kEAcute, "\n\n"},
      {"int", "a b", "Foo::", "x1", "*", "", "1", "int*", "<T>", "static int\n"},
      {" ", " ", "", "\n", kNbsp, "*", " *", kLineSeparator, " & "},
      {"f", "f", "_g", "1x", "if", kEAcute, "x\xCC\x81", "a\xD9\xA3", "main"},
      {"", "", " ", "\n", "\t"},
      {"(", "(", "(", "", "{"},
      {"", "void", "a;b", "x{", "\n", ")(", "int a,\n int b", "a\n;"},
      {")", ")", "", ";"},
      {";", "\n", " {", "", ";\n", "\n\n", " ;{", "\n}"},
      {"\n", "", "\n"},
  };
  compare_on_random_texts({.seed = 78, .count = 150000, .with_results_above = 30000},
                          shapes_of(slots, {1, 4}), matches_of(plain_c_function()),
                          c_function_matches);
}

TEST(KeywordScans, CTypeScanAgreesWithThePatternOnRandomInputs) {
  compare_on_random_texts({.seed = 20240617, .count = 300000, .with_results_above = 3000},
                          texts_of(kCPieces, {0, 16}), matches_of(plain_c_type()), c_type_matches);
}

TEST(KeywordScans, JavaTypeScanAgreesWithThePatternOnRandomInputs) {
  // Modifiers whole, glued and cut, the four type keywords and words that
  // contain them, names, white space of one and several bytes, non-ASCII
  // letters and punctuation.
  const Pieces pieces = {
      "public",
      "private",
      "protected",
      "static",
      "final",
      "publi",
      "c",
      "xpublic",
      "class",
      "interface",
      "enum",
      "record",
      "records",
      "subclass",
      "enumerate",
      "Foo",
      "_x",
      "9",
      "a",
      " ",
      " ",
      " ",
      "\t",
      "\n",
      kNbsp,
      kIdeographicSpace,
      kLineSeparator,
      kEAcute,
      "\xE4\xB8\xAD",
      "{",
      "(",
      ";",
      ".",
      "<T>",
      "@",
  };
  compare_on_random_texts({.seed = 20240618, .count = 300000, .with_results_above = 8000},
                          texts_of(pieces, {0, 16}), matches_of(plain_java_type()),
                          java_type_matches);
}

TEST(KeywordScans, KotlinDeclarationScanAgreesWithThePatternOnRandomInputs) {
  // Modifiers and keywords whole, glued and cut ("internal" and "interface"
  // share a start), names, white space of one and several bytes, line feeds
  // and non-ASCII letters.
  const Pieces pieces = {
      "public",
      "private",
      "internal",
      "protected",
      "open",
      "data",
      "sealed",
      "abstract",
      "class",
      "object",
      "interface",
      "fun",
      "inter",
      "funny",
      "pub",
      "Foo",
      "_x",
      "9",
      "a",
      " ",
      " ",
      " ",
      "\t",
      "\n",
      "\n",
      "\n",
      kNbsp,
      kIdeographicSpace,
      kLineSeparator,
      kEAcute,
      "\xE4\xB8\xAD",
      "\xCC\x81",
      "(",
      ":",
      "{",
      "@",
  };
  compare_on_random_texts({.seed = 20240619, .count = 300000, .with_results_above = 5000},
                          texts_of(pieces, {0, 14}), matches_of(plain_kotlin_declaration()),
                          kotlin_declaration_matches);
}

TEST(KeywordScans, SwiftScansAgreeWithThePatternsOnRandomInputs) {
  // Modifiers (one of them also a keyword elsewhere), keywords whole, glued
  // and cut, runs of modifiers over several lines, indentation, names, white
  // space of one and several bytes and non-ASCII letters.
  const Pieces pieces = {
      "public",
      "private",
      "internal",
      "open",
      "final",
      "static",
      "class",
      "mutating",
      "override",
      "struct",
      "enum",
      "protocol",
      "actor",
      "extension",
      "func",
      "fun",
      "prot",
      "extend",
      "Foo",
      "_x",
      "9",
      "a",
      " ",
      " ",
      " ",
      "\t",
      "\n",
      "\n",
      "\n",
      kNbsp,
      kIdeographicSpace,
      kLineSeparator,
      kEAcute,
      "\xE4\xB8\xAD",
      "(",
      ":",
      "{",
      "@",
  };
  compare_on_random_texts({.seed = 20261208, .count = 200000, .with_results_above = 3000},
                          texts_of(pieces, {0, 14}), matches_of(plain_swift_type()),
                          swift_type_matches);
  compare_on_random_texts({.seed = 20261209, .count = 200000, .with_results_above = 1000},
                          texts_of(pieces, {0, 14}), matches_of(plain_swift_function()),
                          swift_function_matches);
}

}  // namespace
}  // namespace graph_builder::text
