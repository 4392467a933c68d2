// The statement rows that are searched from a literal or from a keyword
// instead of from every position, against the plain row patterns: the same
// edges in the same order on random texts made of the characters that decide
// a match.
#include "graph_builder/relations/imports.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::relations {
namespace {

using languages::ImportRows;
using regex::Flags;
using regex::Regex;

struct PlainRow {
  const Regex& re;
  std::string_view literal;
  RelationKind kind;
};

// The rows that apply to every file and the extra row of a Java-family file,
// as plain patterns searched from every position.
std::vector<PlainRow> plain_rows(ImportRows language) {
  static const Regex kImportQuoted(R"(import\s+\(?\s*\"([^\"]+)\")");
  static const Regex kImportFrom(R"(import\s+.*?\s+from\s+[\'\"]([^\'\"]+)[\'\"])");
  static const Regex kRequireCall(R"(require\([\'\"]([^\'\"]+)[\'\"]\))");
  static const Regex kImportLine(R"(^\s*import\s+([a-zA-Z0-9_\.]+))", Flags::multiline);
  static const Regex kFromImport(R"(^\s*from\s+([a-zA-Z0-9_\.]+)\s+import\s+)", Flags::multiline);
  static const Regex kJavaImport(R"(^import\s+([\w.]+))", Flags::multiline);
  std::vector<PlainRow> rows{{kImportQuoted, "import", RelationKind::import},
                             {kImportFrom, "import", RelationKind::import},
                             {kRequireCall, "require(", RelationKind::require},
                             {kImportLine, "import", RelationKind::import},
                             {kFromImport, "import", RelationKind::import}};
  if (language == ImportRows::java) {
    rows.push_back({kJavaImport, "import", RelationKind::import});
  }
  return rows;
}

std::vector<Relation> plain_relations(ImportRows language, std::string_view text) {
  std::vector<Relation> out;
  for (const PlainRow& row : plain_rows(language)) {
    if (text.find(row.literal) == std::string_view::npos) continue;
    row.re.for_each(text, [&](const regex::Match& m) {
      out.push_back({std::string(m.group(1)), row.kind});
      return true;
    });
  }
  return out;
}

std::string escaped(std::string_view s) {
  std::string out;
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F || c == '"' || c == '\\') {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

TEST(StatementRows, ImportRowsAgreeWithThePlainPatternsOnRandomInputs) {
  // Keywords whole and broken, the characters between them (white space of
  // one and of several bytes, line feeds, quotes, "(", ".", "/"), names, and
  // a non-ASCII letter.
  const std::vector<std::string> pieces = {"import",
                                           "import",
                                           "import ",
                                           "impor",
                                           "mport",
                                           "Import",
                                           "from",
                                           "from ",
                                           " from ",
                                           "fro",
                                           "require(",
                                           "\"",
                                           "'",
                                           "\"fmt\"",
                                           "'./db'",
                                           "(",
                                           ")",
                                           "(\n\t\"",
                                           ".",
                                           "a.b",
                                           "x",
                                           "_y",
                                           "9",
                                           "/",
                                           "*",
                                           ";",
                                           " ",
                                           " ",
                                           "\t",
                                           "\n",
                                           "\n",
                                           "\r",
                                           "\xC2\xA0",
                                           "\xE3\x80\x80",
                                           "\xC3\xA9",
                                           "\xE2\x80\xA8",
                                           "import React from 'react'",
                                           "from .m import X"};
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> length(0, 16);
  int with_edges = 0;
  for (int i = 0; i < 60000; ++i) {
    std::string text;
    for (int n = length(rng); n > 0; --n) text += pieces[pick(rng)];
    for (ImportRows language : {ImportRows::none, ImportRows::java}) {
      const std::vector<Relation> expected = plain_relations(language, text);
      if (!expected.empty()) ++with_edges;
      std::vector<Relation> got;
      append_statement_relations(text, language, got);
      ASSERT_EQ(got, expected) << (language == ImportRows::java ? "java" : "any") << " input: \""
                               << escaped(text) << "\"";
    }
  }
  // The generator must produce statements for the comparison to mean much.
  EXPECT_GT(with_edges, 30000);
}

}  // namespace
}  // namespace graph_builder::relations
