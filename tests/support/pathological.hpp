#pragma once
// Hostile file texts of up to 300000 bytes, shared by the pathological-input
// test and the worst-case benchmark: long runs that make backtracking
// patterns re-scan, deep nesting, one huge line, NUL and undecodable bytes.

#include <string>
#include <utility>
#include <vector>

#include "support/random_text.hpp"

namespace graph_builder::testing {

inline std::string repeat_to(const std::string& unit, std::size_t size) {
  std::string out;
  out.reserve(size + unit.size());
  while (out.size() + unit.size() <= size) out += unit;
  return out;
}

// (name, raw bytes) pairs, each at most 300000 bytes.
inline std::vector<std::pair<std::string, std::string>> pathological_inputs() {
  constexpr std::size_t kSize = 300000;
  std::vector<std::pair<std::string, std::string>> v;
  v.emplace_back("blank_lines", std::string(kSize, '\n'));
  v.emplace_back("spaces", std::string(kSize, ' '));
  v.emplace_back("mixed_space", repeat_to(" \t\n\r\f\v", kSize));
  v.emplace_back("words_no_parens", repeat_to("alpha beta gamma\n", kSize));
  v.emplace_back("words_one_line", repeat_to("alpha beta ", kSize));
  v.emplace_back("generics_then_paren", repeat_to("Map<K, V> value ", kSize - 2) + "(");
  v.emplace_back("deep_nesting", std::string(kSize / 2, '{') + std::string(kSize / 2, '}'));
  v.emplace_back("one_long_line", std::string(kSize, 'x'));
  v.emplace_back("nul_bytes", std::string(kSize, '\0'));
  v.emplace_back("invalid_utf8", repeat_to("ok\xFF\xFE\xC3(\xED\xA0\x80\n", kSize));
  v.emplace_back("public_run", repeat_to("public ", kSize));
  v.emplace_back("static_run", repeat_to("  static int\n", kSize));
  v.emplace_back("import_run", repeat_to("import a ", kSize));
  v.emplace_back("unclosed_block_comment", "/** " + repeat_to("text * more ", kSize - 4));
  v.emplace_back("unclosed_docstring", "\"\"\"" + repeat_to("doc text ", kSize - 3));
  v.emplace_back("open_parens", repeat_to("def a(\nfunction f(\nint g(\n", kSize));
  v.emplace_back("route_decorators", repeat_to("@app.get('/x')\n", kSize));
  v.emplace_back("unreal_then_blank", "UCLASS()\n" + std::string(kSize - 9, '\n'));
  v.emplace_back("unreal_function_run", "  UFUNCTION()\n" + repeat_to("static ", kSize - 14));
  v.emplace_back("xaml_attrs", repeat_to("x:Class=\"a.b", kSize));
  v.emplace_back("fetch_unclosed", repeat_to("fetch('/a/b", kSize));
  v.emplace_back("path_like", repeat_to("a.b/c.d/", kSize));
  v.emplace_back("class_run", repeat_to("class A ", kSize));
  v.emplace_back("include_run", repeat_to("#include \"", kSize));
  v.emplace_back("braces_escaped", repeat_to("\\{ \\}\n", kSize));
  v.emplace_back("function_no_body", repeat_to("  abstract function f();\n", kSize));
  v.emplace_back("route_receiver_no_quote", repeat_to("xp.get(/", kSize));
  v.emplace_back("public_lines", repeat_to("public\n", kSize));
  v.emplace_back("modifier_lines", repeat_to("private data\n", kSize));
  // Openings whose closing ")" or ">" never comes: read to the end of the
  // text from every line, these were quadratic.
  v.emplace_back("type_argument_lines", repeat_to("  Foo<x y(\n", kSize));
  v.emplace_back("pub_scope_lines", repeat_to("pub(fn x\n", kSize));
  v.emplace_back("pub_scope_space_lines", repeat_to("pub (async fn x\n", kSize));
  v.emplace_back("arrow_parameter_lines", repeat_to("export const a = (=>\n", kSize));
  v.emplace_back("unreal_macro_lines", repeat_to("UCLASS(\nclass X\n", kSize));
  v.emplace_back("receiver_lines", repeat_to("func (\n", kSize));
  RandomText random(12345);
  const int size = static_cast<int>(kSize);
  v.emplace_back("random_mixture",
                 random.text(bytes_of(" \n\t(){};:<>*&_-/.\"'@#abcXYZ019\xC3\xA9"), {size, size}));
  return v;
}

// A 300000-byte "token soup": random declaration keywords, punctuation and
// white space, biased by `seed`, to look for inputs that make some pattern
// backtrack far.
inline std::string token_soup(unsigned seed, std::size_t size = 300000) {
  static const char* const kTokens[] = {"public ",
                                        "private ",
                                        "static ",
                                        "class ",
                                        "def ",
                                        "function ",
                                        "import ",
                                        " from ",
                                        "fn ",
                                        "pub ",
                                        "struct ",
                                        "impl ",
                                        "UCLASS()\n",
                                        "UFUNCTION()\n",
                                        "@app.get('/x')",
                                        "x:Class=\"a.",
                                        "export ",
                                        "const ",
                                        "async ",
                                        "=> ",
                                        "(",
                                        ")",
                                        "{",
                                        "}",
                                        ";",
                                        "<",
                                        ">",
                                        "\n",
                                        "\n\n",
                                        " ",
                                        "    ",
                                        "\t",
                                        "name",
                                        "Type",
                                        "'",
                                        "\"",
                                        "/",
                                        ".",
                                        ":",
                                        "::",
                                        "#include \"",
                                        "require(",
                                        "fetch('/",
                                        "use ",
                                        "mod ",
                                        "module ",
                                        "*",
                                        "&",
                                        "=",
                                        ",",
                                        "interface ",
                                        "enum ",
                                        "namespace ",
                                        "func ",
                                        "fun ",
                                        "data class ",
                                        "\"\"\"",
                                        "/**",
                                        "*/",
                                        "return ",
                                        "if ",
                                        "new ",
                                        "virtual ",
                                        "src/a.ts",
                                        "x.py",
                                        "\\{",
                                        "_",
                                        "\xC3\xA9",
                                        "[]",
                                        "$",
                                        "->",
                                        "self.",
                                        "@",
                                        "#"};
  RandomText random(seed);
  // Each soup favours a few tokens, so that long runs of them occur.
  std::vector<const char*> favoured;
  for (int i = 0; i < 4; ++i) favoured.push_back(random.pick(kTokens));
  std::string out;
  out.reserve(size + 32);
  while (out.size() < size) out += random.one_in(4) ? random.pick(kTokens) : random.pick(favoured);
  out.resize(size);
  return out;
}

}  // namespace graph_builder::testing
