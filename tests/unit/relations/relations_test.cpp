#include "graph_builder/relations/relations.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "graph_builder/relations/imports.hpp"
#include "support/temp_tree.hpp"

namespace graph_builder::relations {
namespace {

// (rel, to) pairs; "from" is checked separately.
using Found = std::vector<std::pair<std::string, std::string>>;

Found found(std::string_view file_name, std::string_view text) {
  Found out;
  for (const auto& e : parse_relations_for_id("f", file_name, text)) {
    EXPECT_EQ(e.from, "f");
    out.emplace_back(e.rel, e.to);
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
    {"default import: module, then identifier", "a.ts", "import React from 'react'\n",
     {{"imports", "react"}, {"imports", "React"}}},
    {"named import", "a.ts", "import { useState } from 'react';\n", {{"imports", "react"}}},
    {"import list over several lines", "a.ts", "import {\n  a,\n  b,\n} from 'x';\n", {}},
    {"lazy part cannot leave its line", "a.ts", "import a,\n  b from 'x';\n", {{"imports", "a"}}},
    {"white space after import may cross a line", "a.ts", "import\nfoo from 'bar'\n",
     {{"imports", "bar"}, {"imports", "foo"}}},
    {"double-quoted side-effect import, its .cs piece a reference", "a.py",
     "import \"./styles.css\"\n", {{"imports", "./styles.css"}, {"references", "/styles.cs"}}},
    {"single-quoted side-effect import", "a.ts", "import './styles.css'\n",
     {{"references", "/styles.cs"}}},
    {"go block import: first package only", "main.go",
     "import (\n\t\"fmt\"\n\t\"net/http\"\n)\n", {{"imports", "fmt"}}},
    {"commonjs require", "a.js", "const db = require('./db');\n", {{"requires", "./db"}}},
    {"relative from-import", "a.py", "from .models import User\n", {{"imports", ".models"}}},
    {"import of several modules", "a.py", "import os, sys\n", {{"imports", "os"}}},
    {"indented import", "a.py", "def f():\n    import json\n", {{"imports", "json"}}},
    {"only LF starts a line", "a.py", "x = 1\rimport os\n", {}},
    {"same import twice", "a.py", "import os\nimport os\n",
     {{"imports", "os"}, {"imports", "os"}}},
    // Language rows, chosen by the exact extension.
    {"swift import", "A.swift", "import Foundation\n",
     {{"imports", "Foundation"}, {"imports", "Foundation"}}},
    {"java import found by both rows", "Main.java", "import java.util.List;\n",
     {{"imports", "java.util.List"}, {"imports", "java.util.List"}}},
    {"extension case kept: no java row", "Main.JAVA", "import java.util.List;\n",
     {{"imports", "java.util.List"}}},
    {"static import", "A.kt", "import static org.junit.Assert.assertEquals;\n",
     {{"imports", "static"}, {"imports", "static"}}},
    {"wildcard import keeps its dot", "A.scala", "import foo.bar.*;\n",
     {{"imports", "foo.bar."}, {"imports", "foo.bar."}}},
    {"rust use, pub use, mod", "lib.rs", "use crate::{a, b};\npub use x;\nmod tests;\n",
     {{"imports", "crate::"}, {"imports", "tests"}}},
    {"rust rows need the exact extension", "lib.RS", "use std::io;\nmod tests;\n", {}},
    {"a name that is only an extension has none", ".rs", "use std::io;\n", {}},
    {"c# using", "A.cs", "using System.Linq;\n  using Indented;\n",
     {{"imports", "System.Linq"}}},
    {"xaml: first class only", "Main.xaml",
     "<Window x:Class=\"App.MainWindow\">\n<Page x:Class=\"App.Other\"/>\n",
     {{"references", "App.MainWindow"}}},
    {"ruby require_relative", "a.rb", "require_relative 'lib/loader'\n",
     {{"requires", "lib/loader"}}},
    {"ruby file with a call-style require", "a.rb", "require('x')\n", {{"requires", "x"}}},
    {"php use", "a.php", "use App\\Models\\User;\n", {{"imports", "App\\Models\\User"}}},
    {"angle include", "a.c", "#include <stdio.h>\n", {}},
    {"quoted include without a slash", "a.h", "#include \"util.h\"\n", {{"includes", "util.h"}}},
    {"quoted include with a slash is also a reference", "a.cpp", "#include \"lib/util.h\"\n",
     {{"includes", "lib/util.h"}, {"references", "lib/util.h"}}},
    {"indented include", "a.hpp", " #include \"util.h\"\n", {}},
    {"include row not for other files", "a.go", "#include \"util.h\"\n", {}},
    // File references.
    {"document path", "a.md", "see docs/setup.md.\n", {{"references", "docs/setup.md"}}},
    {"leading dot is not part of the run", "a.md", "./src/app.ts", {{"references", "/src/app.ts"}}},
    {"only the last dotted piece is a candidate", "a.md", "src/app.test.ts", {}},
    {"longest extension", "a.md", "src/App.tsx lib/x.cpp a/b.json c/d.hpp e/f.kts",
     {{"references", "src/App.tsx"},
      {"references", "lib/x.cpp"},
      {"references", "a/b.json"},
      {"references", "c/d.hpp"},
      {"references", "e/f.kts"}}},
    {"no word boundary after the extension", "a.md", "x/y.pyc", {{"references", "x/y.py"}}},
    {"web address pieces", "a.md", "https://example.com/a/b.json",
     {{"references", "//example.c"}, {"references", "om/a/b.json"}}},
    {"non-ASCII letter ends a run", "a.md", "docs/naïve.md é/x.py",
     {{"references", "/x.py"}}},
};

INSTANTIATE_TEST_SUITE_P(Steps, RelationsTable, ::testing::ValuesIn(kCases));

TEST(Relations, FromIsTheFileIdUnderTheRoot) {
  testing::TempTree tree;
  auto path = tree.write("src/main.rs", "mod a;\nmod a;\n");
  auto edges = parse_relations(path, "mod a;\nmod a;\n", tree.root());
  const graph::Edge a{"src/main.rs", "a", "imports"};
  EXPECT_EQ(edges, (std::vector<graph::Edge>{a, a}));
}

TEST(Relations, EmptyTextHasNoEdges) {
  EXPECT_TRUE(parse_relations_for_id("f", "a.rs", "").empty());
}

TEST(Relations, EveryStatementRowIsBuilt) {
  // Builds (and so compiles) every row; a bad pattern aborts here.
  EXPECT_EQ(statement_row_count(), 14U);
}

}  // namespace
}  // namespace graph_builder::relations
