#include "graph_builder/symbols/lang_ts.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/symbols/lang_ts_internal.hpp"
#include "graph_builder/symbols/line_starts_internal.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "support/differential.hpp"
#include "support/match_offsets.hpp"

namespace graph_builder::symbols {
namespace {

// The parts of a record a table row states.
struct Row {
  std::string name;
  std::string type;
  std::string confidence;
  bool exported;
  std::int64_t start;
  std::int64_t end;
  bool operator==(const Row&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << r.name << ", " << r.type << ", " << r.confidence << ", "
            << (r.exported ? "exported" : "local") << ", " << r.start << ".." << r.end << "}";
}

std::vector<Row> rows(std::string_view content) {
  std::vector<Row> out;
  for (const Symbol& s : extract_symbols_ts(content, "src/a.ts")) {
    out.push_back({s.name, s.symbol_type, s.confidence, s.exported, s.line_start, s.line_end});
  }
  return out;
}

TEST(ClassifyTs, FirstApplicableRuleDecides) {
  struct Case {
    std::string_view name;
    bool exported;
    TsClassification want;
  };
  const std::vector<Case> cases = {
      {"GET", false, {"api_route", "high"}},
      {"OPTIONS", true, {"api_route", "high"}},
      {"Get", true, {"use_case", "medium"}},
      {"GETTER", true, {"use_case", "medium"}},
      {"useAuth", false, {"hook", "high"}},
      {"useAuth", true, {"hook", "high"}},
      {"user", false, {"utility", "medium"}},
      {"use", true, {"use_case", "high"}},
      {"use", false, {"utility", "medium"}},
      {"use1", false, {"utility", "medium"}},
      {"use_x", false, {"utility", "medium"}},
      {"Button", true, {"use_case", "medium"}},
      {"Button", false, {"utility", "medium"}},
      {"handleLogin", true, {"use_case", "high"}},
      {"_Private", true, {"use_case", "high"}},
      // Upper case is a Unicode property of the code point, not of a byte.
      {"useÉtat", false, {"hook", "high"}},
      {"useétat", false, {"utility", "medium"}},
      {"Über", true, {"use_case", "medium"}},
      {"ärger", true, {"use_case", "high"}},
      {"", true, {"use_case", "high"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(_classify_ts(c.name, c.exported), c.want) << c.name << " exported=" << c.exported;
  }
}

TEST(ExtractSymbolsTs, OneLineDeclarations) {
  struct Case {
    std::string_view line;
    std::vector<Row> want;
  };
  const std::vector<Case> cases = {
      {"export async function POST(req) {}", {{"POST", "api_route", "high", true, 0, 0}}},
      {"export function GET<T>(req) {}", {{"GET", "api_route", "high", true, 0, 0}}},
      {"function GET() {}", {}},
      {"export default function GET() {}", {}},
      {"export function useAuth() {}", {{"useAuth", "hook", "high", true, 0, 0}}},
      {"function useAuth() {}", {{"useAuth", "hook", "high", false, 0, 0}}},
      {"function user() {}", {{"user", "utility", "medium", false, 0, 0}}},
      {"function use() {}", {{"use", "utility", "medium", false, 0, 0}}},
      {"export function Button() {}", {{"Button", "use_case", "medium", true, 0, 0}}},
      {"export function handleLogin() {}", {{"handleLogin", "use_case", "high", true, 0, 0}}},
      {"export default async function Page() {}", {{"Page", "use_case", "medium", true, 0, 0}}},
      {"default function Page() {}", {{"Page", "utility", "medium", false, 0, 0}}},
      {"async function load() {}", {{"load", "utility", "medium", false, 0, 0}}},
      {"export const fetchUser = async (id) => {}",
       {{"fetchUser", "use_case", "high", true, 0, 0}}},
      {"export let double = x => {}", {{"double", "use_case", "high", true, 0, 0}}},
      {"export const run = function () {}", {{"run", "use_case", "high", true, 0, 0}}},
      {"export const GET = async (req) => {}", {{"GET", "api_route", "high", true, 0, 0}}},
      {"export const f = (a: string): Promise<void> => {}", {}},
      {"export const LIMIT = 10; {}", {}},
      {"const local = () => {}", {}},
      {"export interface User {}", {{"User", "model", "high", true, 0, 0}}},
      {"interface Props extends Base {}", {}},
      {"type Id = string; {}", {{"Id", "model", "high", false, 0, 0}}},
      {"export type Box<T> = { v: T }", {{"Box", "model", "high", true, 0, 0}}},
      {"export abstract class Repo {}", {}},
      {"export default class App {}", {{"App", "model", "high", true, 0, 0}}},
      {"class Repo {}", {{"Repo", "model", "high", false, 0, 0}}},
      {"const userSchema = z.object({})", {{"userSchema", "model", "high", true, 0, 0}}},
      {"export const OrderSchema = z.enum([]) {}", {{"OrderSchema", "model", "high", true, 0, 0}}},
      {"const userschema = y.object({})", {}},
      {" export function indented() {}", {}},
      {"\tclass Indented {}", {}},
      {"  const userSchema = z.object({})", {}},
      {"Function upper() {}", {}},
      {"function 1bad() {}", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rows(c.line), c.want) << c.line;
  }
}

TEST(ExtractSymbolsTs, RecordsOrderedByPatternThenPositionFirstNameWins) {
  const std::string text =
      "export class Store {\n"           // 0
      "}\n"                              // 1
      "function Store() {\n"             // 2: same name as the class, recorded first
      "}\n"                              // 3
      "export interface Item {\n"        // 4
      "}\n"                              // 5
      "export async function PUT() {\n"  // 6
      "}\n"                              // 7
      "function helper() {\n"            // 8
      "  return 1;\n"                    // 9
      "}\n"                              // 10
      "function helper() {\n"            // 11: redeclaration, dropped
      "}\n";
  EXPECT_EQ(rows(text), (std::vector<Row>{
                            {"PUT", "api_route", "high", true, 6, 7},
                            {"Store", "utility", "medium", false, 2, 3},
                            {"helper", "utility", "medium", false, 8, 10},
                            {"Item", "model", "high", true, 4, 5},
                        }));
}

TEST(ExtractSymbolsTs, MultiLineDeclarationStartsOnItsFirstLine) {
  const std::string text =
      "// header\n"
      "export\n"
      "async function\n"
      "  handle(\n"
      "  req) {\n"
      "  return req;\n"
      "}\n"
      "export const save =\n"
      "  async (\n"
      "    item,\n"
      "  ) => {\n"
      "  return item;\n"
      "};\n";
  EXPECT_EQ(rows(text), (std::vector<Row>{
                            {"handle", "use_case", "high", true, 1, 6},
                            {"save", "use_case", "high", true, 7, 12},
                        }));
}

TEST(ExtractSymbolsTs, IdKeywordsAndBodyHash) {
  const auto syms = extract_symbols_ts("x();\nexport function handleLogin() {\n  go();\n}\nz();\n",
                                       "src/auth.ts");
  ASSERT_EQ(syms.size(), 1U);
  EXPECT_EQ(syms[0].id, "src/auth.ts::handleLogin");
  EXPECT_EQ(syms[0].keywords, (std::vector<std::string>{"handlelogin", "handle", "login"}));
  EXPECT_EQ(syms[0].body_hash, text::short_hash("export function handleLogin() {\n  go();\n}"));
}

TEST(ExtractSymbolsTs, UnclosedBlockFallsBackToOneHundredLines) {
  std::string text = "export function open() {\n";
  for (int i = 0; i < 450; ++i) text += "  x();\n";
  text += "}\nexport function tail() {\n";
  EXPECT_EQ(rows(text), (std::vector<Row>{
                            {"open", "use_case", "high", true, 0, 100},
                            {"tail", "use_case", "high", true, 452, 452},
                        }));
}

TEST(ExtractSymbolsTs, CrLfInputGivesTheSameRangesAndHashes) {
  const std::string lf =
      "export function a() {\n  one();\n}\n\nexport const b = () => {\n  two();\n};\n";
  std::string crlf;
  for (char ch : lf) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  const auto want = extract_symbols_ts(lf, "f.ts");
  ASSERT_EQ(want.size(), 2U);
  EXPECT_EQ(extract_symbols_ts(crlf, "f.ts"), want);
  EXPECT_EQ(want[1].line_start, 4);
  EXPECT_EQ(want[1].line_end, 6);
}

TEST(ExtractSymbolsTs, FormFeedAndOtherSeparatorsDoNotShiftLines) {
  // Only LF ends a line: FF, VT, NEL and U+2028 inside a line keep the ranges
  // and the hashed lines in step with the LF-counted line index.
  const std::string text =
      "/* a\fb\vc\u0085d\u2028e */\n"
      "export function f() {\n"
      "  g();\f\n"
      "}\n";
  const auto syms = extract_symbols_ts(text, "f.ts");
  ASSERT_EQ(syms.size(), 1U);
  EXPECT_EQ(syms[0].line_start, 1);
  EXPECT_EQ(syms[0].line_end, 3);
  EXPECT_EQ(syms[0].body_hash, text::short_hash("export function f() {\n  g();\f\n}"));
}

TEST(ExtractSymbolsTs, NonAsciiNamesAndText) {
  const std::string text =
      "// Prüfung der Größe: 日本語\n"
      "export function größe() {\n"
      "}\n"
      "function useÉtat() {\n"
      "}\n"
      "function Ñame() {\n"  // a name must begin with an ASCII letter or "_"
      "}\n"
      "export interface Ärger {\n"
      "}\n"
      "export type Café = { é: 1 }\n";
  EXPECT_EQ(rows(text), (std::vector<Row>{
                            {"größe", "use_case", "high", true, 1, 2},
                            {"useÉtat", "hook", "high", false, 3, 4},
                            {"Café", "model", "high", true, 9, 9},
                        }));
  const auto syms = extract_symbols_ts(text, "f.ts");
  ASSERT_FALSE(syms.empty());
  EXPECT_EQ(syms[0].keywords, (std::vector<std::string>{"größe"}));
}

TEST(ExtractSymbolsTs, EmptyAndUnmatchedTextGiveNothing) {
  EXPECT_TRUE(extract_symbols_ts("", "f.ts").empty());
  EXPECT_TRUE(extract_symbols_ts("\n\n  const x = 1;\n", "f.ts").empty());
}

// Compares the declaration search with each plain pattern on the same
// `count` texts from `make`; more than `with_matches_above[p]` texts must
// match pattern p (negative: no minimum).
template <class Make>
void expect_same_declarations(std::uint32_t seed, int count, const Make& make,
                              const std::array<int, 5>& with_matches_above) {
  using ts_internal::Declaration;
  struct Plain {
    Declaration which;
    regex::Regex pattern;
  };
  static const std::array<Plain, 5> kPlain{{
      {Declaration::route,
       regex::Regex(
           R"(^export\s+(?:async\s+)?function\s+(GET|POST|PUT|PATCH|DELETE|HEAD|OPTIONS)\s*[\(<])",
           regex::Flags::multiline)},
      {Declaration::function,
       regex::Regex(R"(^(export\s+)?(default\s+)?(async\s+)?function\s+([A-Za-z_]\w*)\s*[\(<])",
                    regex::Flags::multiline)},
      {Declaration::type,
       regex::Regex(R"(^(export\s+)?(?:interface|type)\s+([A-Za-z_]\w*)\s*[={<])",
                    regex::Flags::multiline)},
      {Declaration::class_type,
       regex::Regex(R"(^(export\s+)?(?:default\s+)?class\s+([A-Za-z_]\w*))",
                    regex::Flags::multiline)},
      {Declaration::schema,
       regex::Regex(R"(^(?:export\s+)?const\s+([A-Za-z_]\w*[Ss]chema)\s*=\s*z\.)",
                    regex::Flags::multiline)},
  }};
  for (const Plain& p : kPlain) {
    const auto which = static_cast<std::size_t>(p.which);
    SCOPED_TRACE("pattern " + std::to_string(which));
    testing::compare_on_random_texts(
        {.seed = seed, .count = count, .with_results_above = with_matches_above[which]}, make,
        [&](std::string_view t) { return testing::plain_matches(p.pattern, t); },
        [&](std::string_view t) {
          return testing::spans_found([&](auto visit) {
            ts_internal::for_each_declaration(t, letter_lines(t), p.which, visit);
          });
        });
  }
}

TEST(LangTs, DeclarationSearchAgreesWithThePlainPatternsOnRandomInputs) {
  // The keywords whole, cut short and in upper case, names (HTTP methods,
  // "Schema" endings, non-ASCII letters and marks), white space of one to
  // three bytes with many line feeds, and the punctuation the tails need.
  const std::vector<std::string> pieces = {
      "export ",
      "export",
      "default ",
      "async ",
      "function",
      "function ",
      "function ",
      "\nfunction ",
      "interface ",
      "type ",
      "class ",
      "const ",
      "let ",
      "expor",
      "Export ",
      "classy",
      "GET",
      "POST",
      "DELETE",
      "userSchema",
      "schema",
      "x",
      "_a",
      "A",
      "1",
      "\xC3\xA9",
      "\xCC\x81",
      " ",
      " ",
      "\n",
      "\n",
      "\n",
      "\t",
      "\xC2\xA0",
      "\xE3\x80\x80",
      "\xE2\x80\xA8",
      "(",
      ")",
      "<",
      "{",
      "=",
      " = ",
      "=>",
      "z.",
      "z",
      ".",
      ";",
      "}",
      "/",
      "\"",
  };
  // Function, type and class declarations come up by chance often enough.
  expect_same_declarations(5150, 100000, testing::texts_of(pieces, {0, 18}),
                           {-1, 200, 200, 200, -1});
}

TEST(LangTs, DeclarationSearchAgreesWithThePlainPatternsOnNearMissDeclarations) {
  // Declarations slot by slot, each slot sometimes filled with what breaks
  // the pattern, several to a text so that matches follow each other.
  const std::vector<std::vector<std::string>> slots = {
      {"", "", "", " ", "\n", "x", "\t"},
      {"", "export ", "export ", "export\n", "export\xC2\xA0", "Export ", "exports "},
      {"", "", "default ", "default\t"},
      {"", "", "async ", "async\n", "async"},
      {"function ", "const ", "let ", "interface ", "type ", "class ", "functio ",
       "function\xE3\x80\x80", "const\n"},
      {"GET", "POST", "GET", "userSchema", "userSchema", "fooschema", "x", "_a", "1x", "\xC3\xA9",
       "A\xCC\x81", "Schema", "OPTIONS"},
      {"", "", " ", "\n"},
      {"(", "(", "<", "=", "{", " = z.", " = z.", "= async (a) =>", "= x =>", "= function", "=(",
       ";", "z.", "= (a\n) =>", "= z"},
      {"", "\n", " {}\n"},
  };
  expect_same_declarations(2112, 100000, testing::shapes_of(slots, {1, 3}),
                           {200, 200, 200, 200, 200});
}

TEST(LangTs, DeclarationSearchStopsWhenTheCallerSaysSo) {
  const std::string t = "function a() {}\nfunction b() {}\nfunction c() {}\n";
  const std::vector<std::size_t> lines = letter_lines(t);
  std::vector<std::string> names;
  ts_internal::for_each_declaration(t, lines, ts_internal::Declaration::function,
                                    [&](const regex::Match& m) {
                                      names.emplace_back(m.group(4));
                                      return names.size() < 2;
                                    });
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
}

// The exported-constant search, which looks for the ")" of an arrow
// function's parameters once per ")", against the plain pattern.
TEST(LangTs, ConstFunctionSearchAgreesWithThePlainPatternOnRandomInputs) {
  static const regex::Regex kPlain(
      R"(^export\s+(?:const|let)\s+([A-Za-z_]\w*)\s*=\s*(?:async\s+)?(?:function|\([^)]*\)\s*=>|\w+\s*=>))",
      regex::Flags::multiline);
  const std::vector<std::string> pieces = {"export ",
                                           "export ",
                                           "export",
                                           "const ",
                                           "let ",
                                           "var ",
                                           "f",
                                           "fetchUser",
                                           "_a",
                                           "1",
                                           "\xC3\xA9",
                                           " = ",
                                           "=",
                                           " ",
                                           " ",
                                           "\n",
                                           "\n",
                                           "\t",
                                           "\xC2\xA0",
                                           "\xE3\x80\x80",
                                           "async ",
                                           "async",
                                           "(",
                                           "(",
                                           ")",
                                           ")",
                                           "(id)",
                                           "=>",
                                           " =>",
                                           "function",
                                           "x =>",
                                           "{",
                                           ";",
                                           "\nexport const a = (",
                                           "\nexport let b = async ("};
  testing::compare_on_random_texts(
      {.seed = 2048, .count = 100000, .with_results_above = 1000},
      testing::texts_of(pieces, {0, 24}),
      [](std::string_view t) { return testing::plain_matches(kPlain, t); },
      [](std::string_view t) {
        return testing::spans_found(
            [&](auto visit) { ts_internal::for_each_const_function(t, letter_lines(t), visit); });
      });
}

}  // namespace
}  // namespace graph_builder::symbols
