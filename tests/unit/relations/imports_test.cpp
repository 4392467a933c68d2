// The statement rows that are searched from a literal or from a keyword
// instead of from every position, against the plain row patterns: the same
// edges in the same order on random texts made of the characters that decide
// a match.
#include "graph_builder/relations/imports.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "support/differential.hpp"

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

TEST(StatementRows, ImportRowsAgreeWithThePlainPatternsOnRandomInputs) {
  // Keywords whole and broken, the characters between them (white space of
  // one and of several bytes, line feeds, quotes, "(", ".", "/"), names, and
  // a non-ASCII letter.
  const testing::Pieces pieces = {"import",
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
  int with_edges = 0;
  // The same texts for both.
  for (ImportRows language : {ImportRows::none, ImportRows::java}) {
    SCOPED_TRACE(language == ImportRows::java ? "java" : "any");
    with_edges += testing::compare_on_random_texts(
        {.seed = 20261208, .count = 60000}, testing::texts_of(pieces, {0, 16}),
        [&](std::string_view t) { return plain_relations(language, t); },
        [&](std::string_view t) {
          std::vector<Relation> got;
          append_statement_relations(t, language, got);
          return got;
        });
  }
  // The generator must produce statements for the comparison to mean much.
  EXPECT_GT(with_edges, 30000);
}

}  // namespace
}  // namespace graph_builder::relations
