// The plain-record layer of the extractors: the recorder ends each body by
// the profile's block rule (no extractor has its own), each record's body is
// exactly the bytes its body hash covers, and the finished symbols of the
// single-text functions are those records with ids and hashes.
#include "graph_builder/symbols/find_symbols.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/symbols/block_end.hpp"
#include "graph_builder/symbols/recorder.hpp"
#include "graph_builder/symbols/symbols.hpp"
#include "graph_builder/text/short_hash.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::symbols {
namespace {

using languages::BlockRule;
using languages::Profile;
using languages::SymbolExtractor;

// `base` with its block rule replaced.
Profile with_block(const Profile& base, BlockRule block, std::int64_t window = 0) {
  Profile p = base;
  p.block = block;
  p.window = window;
  return p;
}

// (name, line_start, line_end) of each record.
struct Range {
  std::string name;
  std::int64_t start;
  std::int64_t end;
  bool operator==(const Range&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Range& r) {
  return os << "{" << r.name << " " << r.start << ".." << r.end << "}";
}
std::vector<Range> ranges(const std::vector<SymbolRecord>& records) {
  std::vector<Range> out;
  for (const SymbolRecord& r : records) out.push_back({r.name, r.line_start, r.line_end});
  return out;
}

// One text per extractor family, each extracted under every block rule:
// the ends follow the rule given, whatever the family.
TEST(FindSymbols, BodiesEndByTheProfilesBlockRule) {
  struct Case {
    const char* ext;
    std::string text;
    std::vector<Range> braces;
    std::vector<Range> indentation;
    std::vector<Range> window_one;
  };
  const std::vector<Case> cases = {
      {".rs",
       "pub fn a() {\n  x\n}\npub fn b() {}\n",
       {{"a", 0, 2}, {"b", 3, 3}},
       {{"a", 0, 3}, {"b", 3, 3}},
       {{"a", 0, 1}, {"b", 3, 3}}},
      {".py",
       "def a():\n    if x: {\n    }\n    y = 1\n\ndef b():\n    pass\n",
       {{"a", 0, 2}, {"b", 5, 6}},
       {{"a", 0, 3}, {"b", 5, 6}},
       {{"a", 0, 1}, {"b", 5, 6}}},
      {".ts",
       "export function a() {\n  return 1;\n}\nconst x = 1;\nclass B {}\n",
       {{"a", 0, 2}, {"B", 4, 4}},
       {{"a", 0, 3}, {"B", 4, 4}},
       {{"a", 0, 1}, {"B", 4, 4}}},
      {".c",
       "int a(void) {\n  return 1;\n}\nstruct S {\n};\n",
       {{"S", 3, 4}, {"a", 0, 2}},
       {{"S", 3, 4}, {"a", 0, 4}},
       {{"S", 3, 4}, {"a", 0, 1}}},
      {".rb",
       "def a\n  1\nend\nclass B\nend\n",
       {{"a", 0, 4}, {"B", 3, 4}},
       {{"a", 0, 2}, {"B", 3, 4}},
       {{"a", 0, 1}, {"B", 3, 4}}},
  };
  for (const Case& c : cases) {
    const Profile& table = languages::profile(c.ext);
    ASSERT_TRUE(table.has_symbols()) << c.ext;
    EXPECT_EQ(ranges(find_symbols(c.text, with_block(table, BlockRule::braces))), c.braces)
        << c.ext << " with brace counting";
    EXPECT_EQ(ranges(find_symbols(c.text, with_block(table, BlockRule::indentation))),
              c.indentation)
        << c.ext << " with indentation";
    EXPECT_EQ(ranges(find_symbols(c.text, with_block(table, BlockRule::window, 1))), c.window_one)
        << c.ext << " with a one-line window";
  }
}

// The recorder's end of a symbol is the named rule's answer for its line.
TEST(SymbolRecorder, AddSymEndsTheBodyByTheBlockRule) {
  const std::string text =
      "def a():\n  {\n    x\n  }\n\n@d\nclass B:\n  y\nz\n" + std::string(60, '\n') + "w\n";
  const std::vector<std::string_view> lines = text::split_lines_lf(text);
  const Profile& base = languages::profile(".py");
  for (std::int64_t line = 0; line < static_cast<std::int64_t>(lines.size()); ++line) {
    struct Rule {
      Profile profile;
      std::int64_t want;
    };
    const std::int64_t last = static_cast<std::int64_t>(lines.size()) - 1;
    const Rule rules[] = {
        {with_block(base, BlockRule::braces), _find_block_end_ts(lines, line)},
        {with_block(base, BlockRule::indentation), _find_block_end_py(lines, line)},
        {with_block(base, BlockRule::window, 3), std::min(line + 3, last)},
        {with_block(base, BlockRule::window, 60), std::min(line + 60, last)},
    };
    for (const Rule& r : rules) {
      SymbolRecorder rec(text, r.profile);
      ASSERT_TRUE(rec.add_sym("n", line, "model", "high", true));
      const std::vector<SymbolRecord> records = rec.take();
      ASSERT_EQ(records.size(), 1U);
      EXPECT_EQ(records[0].line_end, r.want) << "line " << line << " window " << r.profile.window;
    }
  }
}

TEST(SymbolRecorder, FirstRecordingOfANameWinsAndEmptyNamesAreSkipped) {
  SymbolRecorder rec("a\nb\nc\n", languages::profile(".rs"));
  EXPECT_TRUE(rec.add_sym("f", 1, "use_case", "high", true));
  EXPECT_FALSE(rec.add_sym("f", 0, "model", "medium", false));
  EXPECT_FALSE(rec.add_sym("", 2, "model", "high", true));
  EXPECT_TRUE(rec.add_sym("g", 2, "model", "medium", false));
  const std::vector<SymbolRecord> records = rec.take();
  ASSERT_EQ(records.size(), 2U);
  EXPECT_EQ(records[0].name, "f");
  EXPECT_EQ(records[0].symbol_type, "use_case");
  EXPECT_EQ(records[0].line_start, 1);
  EXPECT_EQ(records[0].line_end, 2);
  EXPECT_TRUE(records[0].exported);
  EXPECT_EQ(records[1].name, "g");
  EXPECT_EQ(records[1].confidence, "medium");
  EXPECT_FALSE(records[1].exported);
}

// A record's body is the selected lines joined with LF: a stretch of the
// text where they meet at bare LFs, a joined copy where a CR LF or a lone CR
// sits between them, nothing for a selection past the end.
TEST(SymbolRecorder, BodyIsTheJoinedLinesItsHashCovers) {
  const std::vector<std::string> texts = {
      "",
      "a",
      "a\n",
      "\n\n\n",
      "a\nb",
      "a\r\nb",
      "a\r\nb\r\n",
      "x\r\r\ny\rz\n",
      "one\n\ntwo\r\n\nthree",
      "\xC3\xA9\n\xE2\x80\xA8z\n",
      "a\nb\r\nc\nd\n",
  };
  for (const std::string& t : texts) {
    const std::vector<std::string_view> lines = text::split_lines_lf(t);
    const auto n = static_cast<std::int64_t>(lines.size());
    for (std::int64_t start = 0; start <= n; ++start) {
      for (std::int64_t window = 0; window <= n + 1; ++window) {
        SymbolRecorder rec(
            t, with_block(languages::profile(".rs"), BlockRule::window, window == 0 ? 1 : window));
        rec.add_sym("s", start, "model", "high", true);
        const std::vector<SymbolRecord> records = rec.take();
        ASSERT_EQ(records.size(), 1U);
        const SymbolRecord& r = records[0];
        std::string want;
        for (std::int64_t i = r.line_start; i <= r.line_end && i < n; ++i) {
          if (i > r.line_start) want += '\n';
          want += lines[static_cast<std::size_t>(i)];
        }
        EXPECT_EQ(r.body.in(t), want)
            << "text \"" << t << "\" lines " << r.line_start << ".." << r.line_end;
        EXPECT_EQ(text::short_hash(r.body.in(t)), body_hash(lines, r.line_start, r.line_end));
        // Only lines cut before a CR need a copy.
        if (t.find('\r') == std::string::npos) {
          EXPECT_FALSE(r.body.joined.has_value()) << t;
        }
      }
    }
  }
}

// Every extension of the language table gets, through the dispatch, what the
// extractor of its family gives; any other extension, or one in upper case,
// gets nothing.
TEST(ExtractSymbolsForFile, EachExtensionGetsItsFamilysExtractor) {
  using Extract = std::vector<Symbol> (*)(std::string_view, std::string_view);
  auto family = [](SymbolExtractor x) -> Extract {
    switch (x) {
      case SymbolExtractor::none:
        return nullptr;
      case SymbolExtractor::ts:
        return extract_symbols_ts;
      case SymbolExtractor::py:
        return extract_symbols_py;
      case SymbolExtractor::rs:
        return extract_symbols_rs;
      case SymbolExtractor::java:
        return extract_symbols_java;
      case SymbolExtractor::cs:
        return extract_symbols_cs;
      case SymbolExtractor::rb:
        return extract_symbols_rb;
      case SymbolExtractor::php:
        return extract_symbols_php;
      case SymbolExtractor::c_cpp:
        return extract_symbols_c_cpp;
    }
    return nullptr;
  };
  // Declarations most families recognise, with bodies long enough for the
  // block rules to differ.
  std::string text =
      "export function handle() {\n  return 1;\n}\ndef load(path):\n    return path\n"
      "pub fn open() {\n}\npublic class Account {\n  public void save() {\n  }\n}\n"
      "class Cart\n  def total\n  end\nend\n<?php function run() {\n}\n"
      "int main(int argc, char **argv) {\n  return 0;\n}\n";
  for (int i = 0; i < 70; ++i) text += "  // filler\n";
  std::size_t with_symbols = 0;
  for (const Profile& p : languages::all_profiles()) {
    const std::vector<Symbol> got = extract_symbols_for_file(text, "dir/f", p.ext);
    const Extract fn = family(p.symbols);
    if (fn == nullptr) {
      EXPECT_TRUE(got.empty()) << p.ext;
      continue;
    }
    ++with_symbols;
    EXPECT_FALSE(got.empty()) << p.ext;
    EXPECT_EQ(got, fn(text, "dir/f")) << p.ext;
    EXPECT_TRUE(extract_symbols_for_file(text, "dir/f", text::to_upper(p.ext)).empty()) << p.ext;
  }
  EXPECT_EQ(with_symbols, languages::symbol_extensions().size());
  EXPECT_TRUE(extract_symbols_for_file(text, "dir/f", "").empty());
  EXPECT_TRUE(extract_symbols_for_file(text, "dir/f", ".txt").empty());
}

// The single-text functions read each family with the block rule of its
// rows, so every row of one extractor must agree on it.
TEST(ExtractSymbolsForFile, RowsOfOneExtractorShareTheirBlockRule) {
  for (const Profile& a : languages::all_profiles()) {
    for (const Profile& b : languages::all_profiles()) {
      if (a.symbols != b.symbols) continue;
      EXPECT_EQ(a.block, b.block) << a.ext << " " << b.ext;
      EXPECT_EQ(a.window, b.window) << a.ext << " " << b.ext;
    }
  }
}

// The finished symbols are the records with the file path before each name
// and the hash of each body.
TEST(ExtractSymbolsForFile, SymbolsAreTheRecordsWithIdsAndHashes) {
  const std::string text = "def a():\r\n    x\r\n\r\nclass B:\n    pass\n";
  std::vector<SymbolRecord> records = find_symbols(text, languages::profile(".py"));
  const std::vector<Symbol> symbols = extract_symbols_py(text, "pkg/m.py");
  ASSERT_EQ(symbols.size(), records.size());
  ASSERT_EQ(symbols.size(), 2U);
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    EXPECT_EQ(symbols[i].id, "pkg/m.py::" + records[i].name);
    EXPECT_EQ(symbols[i].name, records[i].name);
    EXPECT_EQ(symbols[i].symbol_type, records[i].symbol_type);
    EXPECT_EQ(symbols[i].line_start, records[i].line_start);
    EXPECT_EQ(symbols[i].line_end, records[i].line_end);
    EXPECT_EQ(symbols[i].body_hash, text::short_hash(records[i].body.in(text)));
    EXPECT_EQ(symbols[i].confidence, records[i].confidence);
    EXPECT_EQ(symbols[i].exported, records[i].exported);
    EXPECT_EQ(symbols[i].keywords, records[i].keywords);
  }
}

}  // namespace
}  // namespace graph_builder::symbols
