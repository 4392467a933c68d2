#include "graph_builder/text/summary.hpp"

#include <gtest/gtest.h>

#include <string>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/text/passes.hpp"
#include "graph_builder/text/unicode.hpp"

namespace graph_builder::text {
namespace {

struct SummaryCase {
  const char* label;
  std::string path;
  std::string ext;
  std::string content;
  std::string want;
};

std::string repeat(std::string_view s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out.append(s);
  return out;
}

TEST(Summary, WholeSummaries) {
  const SummaryCase cases[] = {
      {"empty readme", "README.md", ".md", "", "Handles README."},
      {"index file name is not generic", "src/index.ts", ".ts", "", "Handles index."},
      {"main file name stays", "main.go", ".go", "", "Handles main."},
      {"last two pieces, dashes to spaces", "src/components/user-profile/ProfileCard.tsx", ".tsx",
       "", "Handles user profile ProfileCard."},
      {"only the last extension goes", "archive.tar.gz", ".gz", "", "Handles archive.tar."},
      {"all pieces generic", "src/main", "", "", "Handles main."},
      {"backslash separates pieces", "pkg\\net_io\\wire-format.go", ".go", "",
       "Handles net io wire format."},
      {"python docstring and names", "a/b.py", ".py",
       "\"\"\"Billing service: creates and sends invoices.\"\"\"\n"
       "def create_invoice():\n    pass\ndef _x():\n    pass\nclass Store:\n    pass\n",
       "Billing service: creates and sends invoices. Contains 2 functions/classes: create_invoice, "
       "Store."},
      {"five names shown as four and a marker", "src/app/tools/run.py", ".py",
       "import os\nimport sys\ndef a(): pass\ndef b(): pass\ndef c(): pass\ndef d(): pass\n"
       "def e(): pass\ndef f(): pass\n",
       "import sys. Contains 5 functions/classes: a, b, c, d, ...."},
      {"jsdoc over several lines", "src/components/ProfileCard.tsx", ".tsx",
       "/**\n * Renders the profile card.\n * Used on the account page.\n */\n"
       "export function ProfileCard() {\n  return null;\n}\n",
       "Renders the profile card. Used on the account page. Contains 1 function: ProfileCard."},
      {"java class word inside a comment", "x/Bar.java", ".java",
       "// a subclass of Foo\nclass Bar {}\n",
       "a subclass of Foo. Contains 2 functions/classes: of, Bar."},
      {"c prototype gives no name, definition does", "c/x.c", ".c",
       "int foo(int x);\nint bar(int y)\n{\n  return y;\n}\n",
       "int foo(int x);. Contains 1 function: bar."},
      {"c type names before function names", "c/ring.c", ".c",
       "int ring_len(struct ring *r) {\n  return r->n;\n}\nstruct ring {\n  int n;\n};\n",
       "int ring_len(struct ring *r) {. Contains 2 functions/classes: ring, ring_len."},
      {"c control words are not names", "c/loop.c", ".c",
       "void run(void)\n{\n  x = 1;\n  while (busy) {\n    step();\n  }\n}\n",
       "void run(void). Contains 1 function: run."},
      {"ruby self receiver is skipped", "rb/shop.rb", ".rb",
       "class Shop\n  def self.build\n  end\n  def self.build\n  end\nend\n",
       "class Shop. Contains 2 functions/classes: Shop, build."},
      {"xaml class first, equal x:Name skipped", "ui/MainWindow.xaml", ".xaml",
       "<Window x:Class=\"Acme.Views.MainWindow\">\n<Grid x:Name=\"MainWindow\"/>\n"
       "<Button x:Name=\"SaveButton\"/>\n</Window>\n",
       "<Window x:Class=\"Acme.Views.MainWindow\">. Contains 2 functions/classes: MainWindow, "
       "SaveButton."},
      {"xaml class alone is one function", "ui/Card.xaml", ".xaml", "<C x:Class=\"A.Card\"/>",
       "<C x:Class=\"A.Card\"/>. Contains 1 function: Card."},
      {"shebang keeps its exclamation mark", "bin/tool.py", ".py",
       "#!/usr/bin/env python3\nimport os\n", "!/usr/bin/env python3."},
      {"docstring with an apostrophe falls back to the raw line", "a/quote.py", ".py",
       "\"\"\"It's the billing module.\"\"\"\n", "\"\"\"It's the billing module.\"\"\"."},
      {"docstring below the first line is not a docstring", "a/late.py", ".py",
       "import os\n\"\"\"Docstring here please\"\"\"\n", "\"\"\"Docstring here please\"\"\"."},
      {"ts line comment is not a block comment", "src/price.ts", ".ts",
       "// Pricing rules for checkout\nexport function price() {}\n",
       "Pricing rules for checkout. Contains 1 function: price."},
      {"block comment lead only for script extensions", "docs/a.md", ".md",
       "/* s */\n/** Loads the data for a page. */\n", "** Loads the data for a page. */."},
      {"trailing dots become one", "docs/b.md", ".md", "Loads data...\n", "Loads data."},
      {"lines end at a form feed too", "docs/c.md", ".md", "tiny\fA line long enough\n",
       "A line long enough."},
      {"only the first five lines are looked at", "docs/d.md", ".md",
       "a\nb\nc\nd\ne\nThis line is long enough\n", "Handles docs d."},
      {"empty id and content", "", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(make_summary(c.content, c.path, c.ext), c.want) << c.label;
  }
}

TEST(Summary, LeadIsCutAt120CodePoints) {
  const std::string content = "# " + repeat("\xC3\xA9", 130) + "\n";
  EXPECT_EQ(make_summary(content, "x.md", ".md"), repeat("\xC3\xA9", 120) + ".");
}

TEST(Summary, DocstringIsWhitespaceNormalisedAndCut) {
  const std::string content = "\n\n'''  Spread\n   over\tlines  '''\n";
  EXPECT_EQ(make_summary(content, "x.py", ".py"), "Spread over lines.");
  const std::string long_doc = "\"\"\"" + repeat("abcdef ", 25) + "\"\"\"";
  // The cut at 120 code points falls inside a word; then the final "." follows.
  EXPECT_EQ(make_summary(long_doc, "x.py", ".py"), repeat("abcdef ", 18).substr(0, 120) + ".");
}

TEST(Summary, WholeSummaryIsCutAt250CodePoints) {
  std::string content = "# " + repeat("a", 130) + "\n";
  std::string names;
  for (char c = 'a'; c <= 'f'; ++c) {
    const std::string name = repeat(std::string(1, c), 40);
    content += "def " + name + "():\n    pass\n";
    if (c <= 'd') names += (names.empty() ? "" : ", ") + name;
  }
  const std::string full = repeat("a", 120) + ". Contains 5 functions/classes: " + names + ", ....";
  const std::string got = make_summary(content, "x.py", ".py");
  EXPECT_EQ(length(got), 250U);
  EXPECT_EQ(got, full.substr(0, 250));
}

TEST(Summary, UnterminatedBlockCommentFallsBackToFirstLine) {
  // No "*/" anywhere: the lazy comment body must give up and the line rule applies.
  const std::string content =
      "/** Starts a comment that never ends\n" + repeat(" * more text\n", 2000);
  EXPECT_EQ(make_summary(content, "a/b.js", ".js"), "** Starts a comment that never ends.");
}

TEST(Summary, LeadAndNamesFollowTheProfileNotTheExtension) {
  const std::string content = "\"\"\"Billing service here.\"\"\"\ndef create_invoice():\n";
  EXPECT_EQ(summary_for(content, "a/b.md", languages::profile(".md")),
            "\"\"\"Billing service here.\"\"\".");
  // A profile that names the docstring lead and the Python scan gets both
  // whatever its extension.
  languages::Profile profile = languages::profile(".md");
  profile.lead = languages::SummaryLead::docstring;
  profile.summary = languages::SummaryScan::py;
  EXPECT_EQ(summary_for(content, "a/b.md", profile),
            "Billing service here. Contains 1 function: create_invoice.");
  for (const languages::Profile& p : languages::all_profiles()) {
    EXPECT_EQ(make_summary(content, "a/b", p.ext), summary_for(content, "a/b", p)) << p.ext;
  }
}

}  // namespace
}  // namespace graph_builder::text
