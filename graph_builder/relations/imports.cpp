#include "graph_builder/relations/imports.hpp"

#include <array>
#include <optional>
#include <utility>

#include "graph_builder/regex/find.hpp"
#include "graph_builder/regex/literals.hpp"
#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/runs.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::relations {
namespace {

using languages::ImportRows;
using regex::Flags;
using regex::Regex;

enum class Matches { all, first_only };

// A row pattern "^\s*KEYWORD..." (multi-line) searched from each `keyword`
// instead of from each line start (see regex::for_each_from_line_start);
// `tail` is the pattern after "^\s*", anchored with "\G".
struct LineStartForm {
  std::string_view keyword;
  Regex tail;
};

// A row pattern whose every match begins with `literal`, searched only where
// the literal stands (see regex::for_each_at_literals); `anchored` is the
// row pattern led by "\G". A plain search tries every position whose byte
// could begin the literal ("i" for "import"), a literal search far fewer.
// The anchored pattern opens with (*NO_START_OPT): otherwise every run first
// looks for the pattern's last fixed character (the closing quote) in the
// rest of the text, which costs the text length per occurrence.
struct AtLiteralForm {
  std::string_view literal;
  Regex anchored;
};

// One statement rule. Group 1 of each match is the relation target.
struct Row {
  Regex re;
  // The language whose files the row applies to; unset: every file.
  std::optional<ImportRows> language;
  // Text every match contains: a file without it cannot match, and a plain
  // find is cheaper than a regex pass.
  std::string_view literal;
  RelationKind kind;
  Matches matches;
  // Set for a "^\s*KEYWORD" row: the same matches, found without a search
  // from every line start.
  const LineStartForm* line_start = nullptr;
  // Set for a row whose matches all begin with one literal: the same
  // matches, found from each occurrence of the literal.
  const AtLiteralForm* at_literal = nullptr;

  bool applies_to(ImportRows file_rows) const { return !language || *language == file_rows; }
};

const LineStartForm& import_form() {
  static const LineStartForm kForm{"import", Regex(R"(\Gimport\s+([a-zA-Z0-9_\.]+))")};
  return kForm;
}

const LineStartForm& from_import_form() {
  static const LineStartForm kForm{"from", Regex(R"(\Gfrom\s+([a-zA-Z0-9_\.]+)\s+import\s+)")};
  return kForm;
}

const AtLiteralForm& import_quoted_form() {
  static const AtLiteralForm kForm{"import",
                                   Regex(R"((*NO_START_OPT)\Gimport\s+\(?\s*\"([^\"]+)\")")};
  return kForm;
}

const AtLiteralForm& import_line_form() {
  static const AtLiteralForm kForm{
      "import", Regex(R"((*NO_START_OPT)\G^import\s+([\w.]+))", Flags::multiline)};
  return kForm;
}

// Rows run in this order and their relations come out in this order. The first
// five run on every file whatever its language, so a Java import is found by
// both the generic and the Java row.
constexpr std::size_t kRowCount = 14;

const std::array<Row, kRowCount>& rows() {
  using I = ImportRows;
  using K = RelationKind;
  static const std::array<Row, kRowCount> kRows{{
      // matches: "import \"fmt\"" and the first entry of "import (\n\t\"fmt\""
      {Regex(R"(import\s+\(?\s*\"([^\"]+)\")"),
       {},
       "import",
       K::import,
       Matches::all,
       nullptr,
       &import_quoted_form()},
      // matches: "import React from 'react'"; the lazy part stays on its line. Searched
      // plainly: run from each "import", the lazy part would read to the line end
      // every time, and a long line of imports without "from" costs their count
      // times its length.
      {Regex(R"(import\s+.*?\s+from\s+[\'\"]([^\'\"]+)[\'\"])"),
       {},
       "import",
       K::import,
       Matches::all},
      // matches: "const db = require('./db')"
      {Regex(R"(require\([\'\"]([^\'\"]+)[\'\"]\))"), {}, "require(", K::require, Matches::all},
      // matches: "import os, sys" and "    import json"
      {Regex(R"(^\s*import\s+([a-zA-Z0-9_\.]+))", Flags::multiline),
       {},
       "import",
       K::import,
       Matches::all,
       &import_form()},
      // matches: "from .models import User"
      {Regex(R"(^\s*from\s+([a-zA-Z0-9_\.]+)\s+import\s+)", Flags::multiline),
       {},
       "import",
       K::import,
       Matches::all,
       &from_import_form()},
      // matches: "import Foundation"
      {Regex(R"(^import\s+([A-Za-z_]\w*))", Flags::multiline), I::swift, "import", K::import,
       Matches::all},
      // matches: "use std::collections::HashMap;" and "use crate::{a, b};" (gives "crate::")
      {Regex(R"(^use\s+([\w:]+))", Flags::multiline), I::rust, "use", K::import, Matches::all},
      // matches: "mod tests;"
      {Regex(R"(^mod\s+([A-Za-z_]\w*))", Flags::multiline), I::rust, "mod", K::import,
       Matches::all},
      // matches: "import java.util.List;" and "import foo.bar.*;" (gives "foo.bar.")
      {Regex(R"(^import\s+([\w.]+))", Flags::multiline), I::java, "import", K::import, Matches::all,
       nullptr, &import_line_form()},
      // matches: "using System.Linq;"
      {Regex(R"(^using\s+([\w.]+))", Flags::multiline), I::csharp, "using", K::import,
       Matches::all},
      // matches: "<Window x:Class=\"App.MainWindow\"" (first one only)
      {Regex(R"(x:Class=\"([\w.]+)\")"), I::xaml, "x:Class=\"", K::reference, Matches::first_only},
      // matches: "require 'json'" and "require_relative 'lib/loader'"
      {Regex(R"((?:require|require_relative)\s+['\"]([^'\"]+)['\"])"), I::ruby, "require",
       K::require, Matches::all},
      // matches: "use App\Models\User;"
      {Regex(R"(^use\s+([\w\\]+))", Flags::multiline), I::php, "use", K::import, Matches::all},
      // matches: "#include \"util.h\"" in the first column, not "#include <stdio.h>"
      {Regex(R"(^#include\s+\"([^\"]+)\")", Flags::multiline), I::c, "#include", K::include,
       Matches::all},
  }};
  return kRows;
}

}  // namespace

void append_statement_relations(std::string_view text, ImportRows language,
                                std::vector<Relation>& out) {
  // Several rows need the same literal: look for each one once per text.
  std::array<std::pair<std::string_view, bool>, kRowCount> present{};
  std::size_t known = 0;
  auto contains = [&](std::string_view literal) {
    for (std::size_t i = 0; i < known; ++i) {
      if (present[i].first == literal) return present[i].second;
    }
    const bool found = regex::find_literal(text, literal) != std::string_view::npos;
    present[known++] = {literal, found};
    return found;
  };
  for (const Row& row : rows()) {
    if (!row.applies_to(language) || !contains(row.literal)) continue;
    auto add = [&](const regex::Match& m) {
      out.push_back({std::string(m.group(1)), row.kind});
      return row.matches == Matches::all;
    };
    if (row.line_start != nullptr) {
      regex::for_each_from_line_start(text, row.line_start->keyword, text::is_space,
                                      row.line_start->tail, row.re, add);
    } else if (row.at_literal != nullptr) {
      regex::for_each_at_literals(text, {row.at_literal->literal}, row.at_literal->anchored, add);
    } else {
      row.re.for_each(text, add);
    }
  }
}

std::size_t statement_row_count() { return rows().size(); }

}  // namespace graph_builder::relations
