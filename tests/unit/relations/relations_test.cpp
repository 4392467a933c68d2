#include "graph_builder/relations/relations.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "graph_builder/graph/assemble.hpp"
#include "graph_builder/languages/languages.hpp"
#include "graph_builder/relations/imports.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::relations {
namespace {

// (rel, to) pairs.
using Found = std::vector<std::pair<std::string, std::string>>;

// The relations of `text` in a file named `file_name`, whose profile is
// chosen by its extension with the case kept, as the scan does.
Found found(std::string_view file_name, std::string_view text) {
  Found out;
  const languages::Profile& profile = languages::profile(languages::extension_of(file_name));
  for (const Relation& r : find_relations(text, profile)) {
    out.emplace_back(rel_name(r.kind), r.target);
  }
  return out;
}

struct Case {
  const char* what;
  const char* file_name;
  std::string_view text;
  Found expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what << " (" << c.file_name << ")"; }

class RelationsTable : public ::testing::TestWithParam<Case> {};

TEST_P(RelationsTable, EdgesInStepOrder) {
  const Case& c = GetParam();
  EXPECT_EQ(found(c.file_name, c.text), c.expected) << c.what << " in " << c.file_name;
}

const Case kCases[] = {
    // Statements of every language run on every file.
    {"default import: module, then identifier",
     "a.ts",
     "import React from 'react'\n",
     {{"imports", "react"}, {"imports", "React"}}},
    {"named import", "a.ts", "import { useState } from 'react';\n", {{"imports", "react"}}},
    {"import list over several lines", "a.ts", "import {\n  a,\n  b,\n} from 'x';\n", {}},
    {"lazy part cannot leave its line", "a.ts", "import a,\n  b from 'x';\n", {{"imports", "a"}}},
    {"white space after import may cross a line",
     "a.ts",
     "import\nfoo from 'bar'\n",
     {{"imports", "bar"}, {"imports", "foo"}}},
    {"double-quoted side-effect import, its .cs piece a reference",
     "a.py",
     "import \"./styles.css\"\n",
     {{"imports", "./styles.css"}, {"references", "/styles.cs"}}},
    {"single-quoted side-effect import",
     "a.ts",
     "import './styles.css'\n",
     {{"references", "/styles.cs"}}},
    {"go block import: first package only",
     "main.go",
     "import (\n\t\"fmt\"\n\t\"net/http\"\n)\n",
     {{"imports", "fmt"}}},
    {"commonjs require", "a.js", "const db = require('./db');\n", {{"requires", "./db"}}},
    {"relative from-import", "a.py", "from .models import User\n", {{"imports", ".models"}}},
    {"import of several modules", "a.py", "import os, sys\n", {{"imports", "os"}}},
    {"indented import", "a.py", "def f():\n    import json\n", {{"imports", "json"}}},
    {"only LF starts a line", "a.py", "x = 1\rimport os\n", {}},
    {"same import twice", "a.py", "import os\nimport os\n", {{"imports", "os"}, {"imports", "os"}}},
    // Language rows, chosen by the exact extension.
    {"swift import",
     "A.swift",
     "import Foundation\n",
     {{"imports", "Foundation"}, {"imports", "Foundation"}}},
    {"java import found by both rows",
     "Main.java",
     "import java.util.List;\n",
     {{"imports", "java.util.List"}, {"imports", "java.util.List"}}},
    {"extension case kept: no java row",
     "Main.JAVA",
     "import java.util.List;\n",
     {{"imports", "java.util.List"}}},
    {"static import",
     "A.kt",
     "import static org.junit.Assert.assertEquals;\n",
     {{"imports", "static"}, {"imports", "static"}}},
    {"wildcard import keeps its dot",
     "A.scala",
     "import foo.bar.*;\n",
     {{"imports", "foo.bar."}, {"imports", "foo.bar."}}},
    {"rust use, pub use, mod",
     "lib.rs",
     "use crate::{a, b};\npub use x;\nmod tests;\n",
     {{"imports", "crate::"}, {"imports", "tests"}}},
    {"rust rows need the exact extension", "lib.RS", "use std::io;\nmod tests;\n", {}},
    {"a name that is only an extension has none", ".rs", "use std::io;\n", {}},
    {"c# using", "A.cs", "using System.Linq;\n  using Indented;\n", {{"imports", "System.Linq"}}},
    {"xaml: first class only",
     "Main.xaml",
     "<Window x:Class=\"App.MainWindow\">\n<Page x:Class=\"App.Other\"/>\n",
     {{"references", "App.MainWindow"}}},
    {"ruby require_relative",
     "a.rb",
     "require_relative 'lib/loader'\n",
     {{"requires", "lib/loader"}}},
    {"ruby file with a call-style require", "a.rb", "require('x')\n", {{"requires", "x"}}},
    {"php use", "a.php", "use App\\Models\\User;\n", {{"imports", "App\\Models\\User"}}},
    {"angle include", "a.c", "#include <stdio.h>\n", {}},
    {"quoted include without a slash", "a.h", "#include \"util.h\"\n", {{"includes", "util.h"}}},
    {"quoted include with a slash is also a reference",
     "a.cpp",
     "#include \"lib/util.h\"\n",
     {{"includes", "lib/util.h"}, {"references", "lib/util.h"}}},
    {"indented include", "a.hpp", " #include \"util.h\"\n", {}},
    {"include row not for other files", "a.go", "#include \"util.h\"\n", {}},
    // File references.
    {"document path", "a.md", "see docs/setup.md.\n", {{"references", "docs/setup.md"}}},
    {"leading dot is not part of the run", "a.md", "./src/app.ts", {{"references", "/src/app.ts"}}},
    {"only the last dotted piece is a candidate", "a.md", "src/app.test.ts", {}},
    {"longest extension",
     "a.md",
     "src/App.tsx lib/x.cpp a/b.json c/d.hpp e/f.kts",
     {{"references", "src/App.tsx"},
      {"references", "lib/x.cpp"},
      {"references", "a/b.json"},
      {"references", "c/d.hpp"},
      {"references", "e/f.kts"}}},
    {"no word boundary after the extension", "a.md", "x/y.pyc", {{"references", "x/y.py"}}},
    {"web address pieces",
     "a.md",
     "https://example.com/a/b.json",
     {{"references", "//example.c"}, {"references", "om/a/b.json"}}},
    {"non-ASCII letter ends a run", "a.md", "docs/naïve.md é/x.py", {{"references", "/x.py"}}},
};

INSTANTIATE_TEST_SUITE_P(Steps, RelationsTable, ::testing::ValuesIn(kCases));

TEST(Relations, EdgesStartAtTheFileIdUnderTheRoot) {
  testing::TempTree tree;
  const std::string text = "mod a;\nmod a;\nsee docs/x.md\n";
  auto path = tree.write("src/main.rs", text);
  auto edges = graph::parse_relations(path, text, tree.root());
  const graph::Edge a{"src/main.rs", "a", "imports"};
  const graph::Edge doc{"src/main.rs", "docs/x.md", "references"};
  EXPECT_EQ(edges, (std::vector<graph::Edge>{a, a, doc}));
  // The statement rows follow the name's extension with its case kept.
  auto upper = tree.write("src/MAIN.RS", text);
  EXPECT_EQ(graph::parse_relations(upper, text, tree.root()),
            (std::vector<graph::Edge>{{"src/MAIN.RS", "docs/x.md", "references"}}));
}

TEST(Relations, EmptyTextHasNoRelations) {
  EXPECT_TRUE(find_relations("", languages::profile(".rs")).empty());
}

TEST(Relations, KindsNameTheirEdges) {
  EXPECT_EQ(rel_name(RelationKind::import), "imports");
  EXPECT_EQ(rel_name(RelationKind::require), "requires");
  EXPECT_EQ(rel_name(RelationKind::include), "includes");
  EXPECT_EQ(rel_name(RelationKind::reference), "references");
}

// Each language's rows, and no other language's, run for every row of the
// language table: on a text holding one statement of every language (and no
// file mention), a profile yields the rows every file gets, then exactly
// those its ImportRows names.
TEST(Relations, LanguageRowsFollowTheProfile) {
  using languages::ImportRows;
  const std::string text =
      "import Foundation\nuse std::io;\nmod m;\nimport a.B;\nusing S.L;\n"
      "<W x:Class=\"X.Y\"/>\nrequire 'r'\nuse A\\B;\n#include \"u.h\"\n";
  const Found every_file{{"imports", "Foundation"}, {"imports", "a.B"}};
  auto language_rows = [](ImportRows rows) -> Found {
    switch (rows) {
      case ImportRows::none:
        return {};
      case ImportRows::swift:
        return {{"imports", "Foundation"}, {"imports", "a"}};
      case ImportRows::rust:
        return {{"imports", "std::io"}, {"imports", "A"}, {"imports", "m"}};
      case ImportRows::java:
        return {{"imports", "Foundation"}, {"imports", "a.B"}};
      case ImportRows::csharp:
        return {{"imports", "S.L"}};
      case ImportRows::xaml:
        return {{"references", "X.Y"}};
      case ImportRows::ruby:
        return {{"requires", "r"}};
      case ImportRows::php:
        return {{"imports", "std"}, {"imports", "A\\B"}};
      case ImportRows::c:
        return {{"includes", "u.h"}};
    }
    return {};
  };
  std::vector<languages::Profile> profiles(languages::all_profiles().begin(),
                                           languages::all_profiles().end());
  profiles.push_back(languages::kNotScanned);
  for (const languages::Profile& p : profiles) {
    Found want = every_file;
    for (auto& r : language_rows(p.imports)) want.push_back(r);
    Found got;
    for (const Relation& r : find_relations(text, p)) got.emplace_back(rel_name(r.kind), r.target);
    EXPECT_EQ(got, want) << "profile of \"" << p.ext << "\"";
  }
}

TEST(Relations, EveryStatementRowIsBuilt) {
  // Builds (and so compiles) every row; a bad pattern aborts here.
  EXPECT_EQ(statement_row_count(), 14U);
}

}  // namespace
}  // namespace graph_builder::relations
