#include "graph_builder/text/keywords.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph_builder/languages/languages.hpp"
#include "graph_builder/text/passes.hpp"

namespace graph_builder::text {
namespace {

using Words = std::vector<std::string>;

struct KeywordCase {
  const char* label;
  std::string ext;
  std::string content;
  Words want;
};

void check_all(const std::vector<KeywordCase>& cases) {
  for (const auto& c : cases) {
    EXPECT_EQ(extract_keywords(c.content, c.ext), c.want) << c.label;
  }
}

TEST(Keywords, EmptyContentGivesNothing) {
  for (const char* ext : {"", ".ts", ".py", ".c", ".xaml", ".kt", ".md"}) {
    EXPECT_TRUE(extract_keywords("", ext).empty()) << ext;
  }
}

TEST(Keywords, RoutesAndDecorators) {
  check_all({
      {"capital verb, colon parameter",
       ".js",
       "app.GET('/api/users/:userId', handler);\n",
       {"get", "api", "users", "userid"}},
      {"receiver only has to end in r",
       ".js",
       "customer.post('/orders/new', h);\n",
       {"post", "orders", "new"}},
      {"backtick path is not a route", ".md", "app.get(`/orders/list`, h);\n", {}},
      {"braces, angle brackets and short segments",
       ".md",
       "router.get('/orders/{orderId}/<int:check_id>/id')\n",
       {"get", "orders", "orderid", "intcheck_id"}},
      {"handlefunc with a double-quoted path",
       ".go",
       "mux.HandleFunc(\"/health/live\", live)\n",
       {"handlefunc", "health", "live"}},
      {"decorator on any object",
       ".py",
       "@billing.DELETE(\"/invoices/{invoice_id}\")\n",
       {"delete", "invoices", "invoice_id"}},
  });
}

TEST(Keywords, DeclarationsByExtension) {
  check_all({
      {"ts exports",
       ".ts",
       "export default async function loadUser() {}\nexport const API_URL = 1;\n",
       {"loaduser", "load", "user", "api_url"}},
      {"ts export list with an alias",
       ".ts",
       "export { bazQux as Quux };\n",
       {"bazqux", "baz", "qux", "quux"}},
      {"ts patterns do not run for .md", ".md", "export function loadUser() {}\n", {}},
      {"python public names split at underscores, private ones skipped",
       ".py",
       "def _hidden():\n    pass\ndef create_invoice():\n    pass\nclass HTTPStore:\n    pass\n",
       {"create_invoice", "create", "invoice", "httpstore", "http", "store"}},
      {"go exported functions only",
       ".go",
       "func helper() {}\nfunc (s *Server) StartAll() {}\n",
       {"startall", "start", "all"}},
      {"rust fn then types",
       ".rs",
       "pub struct Ledger;\npub(crate) fn parse_line() {}\nimpl Display for Ledger {}\n",
       {"parse_line", "ledger"}},
      {"ruby self receiver is skipped",
       ".rb",
       "class Shop\n  def self.build\n  end\nend\n",
       {"shop", "build"}},
      {"php first present group",
       ".php",
       "<?php\ntrait Loggable {}\nfunction makeOrder() {}\n",
       {"loggable", "makeorder", "make", "order"}},
      {"c control words are skipped, functions before types",
       ".c",
       "struct ring_buf;\nvoid runLoop(void) {\n  x = 1;\n  while (busy) {\n    step();\n  }\n}\n",
       {"runloop", "run", "loop", "ring_buf"}},
      {"kotlin runs the java patterns first",
       ".kt",
       "data class Entry(val id: Int)\nfun auditTrail() {}\n",
       {"entry", "audittrail", "audit", "trail"}},
      {"csharp types then methods",
       ".cs",
       "public sealed class OrderService {\n  public async Task<Order> PlaceOrder(int id) {}\n}\n",
       {"orderservice", "order", "service", "placeorder", "place"}},
  });
}

TEST(Keywords, DeclarationsFollowTheProfileNotTheExtension) {
  const std::string content = "def load_user():\n    pass\n";
  EXPECT_TRUE(keywords_for(content, languages::profile(".md")).empty());
  // A profile that names the Python scan gets Python declarations whatever
  // its extension.
  languages::Profile profile = languages::profile(".md");
  profile.keywords = languages::KeywordScan::py;
  EXPECT_EQ(keywords_for(content, profile), (Words{"load_user", "load", "user"}));
  // The extension entry point is that of the extension's profile.
  for (const languages::Profile& p : languages::all_profiles()) {
    EXPECT_EQ(extract_keywords(content, p.ext), keywords_for(content, p)) << p.ext;
  }
}

TEST(Keywords, XamlNamesThenWholeElementNames) {
  const std::string content =
      "<Window x:Class=\"Acme.Views.MainWindow\">\n"
      "  <StackPanel>\n    <Button x:Name=\"saveButton\" />\n    <ui:Card />\n  </StackPanel>\n"
      "</Window>\n";
  EXPECT_EQ(extract_keywords(content, ".xaml"),
            (Words{"mainwindow", "main", "window", "savebutton", "save", "button", "stackpanel"}));
}

TEST(Keywords, LeadingDocstringAndBlockComment) {
  check_all({
      {"docstring words of four letters or more",
       ".py",
       "\"\"\"Billing service: creates and sends invoices.\"\"\"\n",
       {"billing", "service", "creates", "sends", "invoices"}},
      {"docstring after a shebang is ignored",
       ".md",
       "#!/usr/bin/env python3\n\"\"\"Billing service: creates invoices.\"\"\"\n",
       {}},
      {"one-line block comment",
       ".md",
       "/* Pricing rules shared by checkout. */\n",
       {"pricing", "rules", "shared", "checkout"}},
      {"comment text on the following lines gives nothing",
       ".md",
       "/**\n * Prices an order line for checkout.\n */\n",
       {}},
      {"block comment after code is ignored", ".md", "x = 1;\n/* Pricing rules shared. */\n", {}},
  });
}

TEST(Keywords, OutgoingHttpCalls) {
  check_all({
      {"host first label and path",
       ".js",
       "fetch('https://api.acme.io/v1/orders?page=2')\n",
       {"api", "orderspage2"}},
      {"template segment keeps its dollar sign",
       ".js",
       "fetch(`/api/orders/${id}`)\n",
       {"api", "orders", "$id"}},
      {"capital scheme is kept",
       ".js",
       "fetch('HTTPS://www.acme.io/cart')\n",
       {"https:", "www", "cart"}},
      {"root path alone gives nothing", ".js", "fetch('/')\n", {}},
      {"requests with a capital verb",
       ".py",
       "requests.POST(\"http://billing.local/charge\")\n",
       {"billing", "charge"}},
  });
}

TEST(Keywords, CappedAtEightyInPassOrder) {
  std::string content;
  for (int i = 0; i < 100; ++i) {
    content += "def w" + std::to_string(1000 + i) + "():\n    pass\n";
  }
  // The HTTP pass runs last: its words are beyond the cap.
  content += "requests.get('/late/words')\n";
  const Words got = extract_keywords(content, ".py");
  ASSERT_EQ(got.size(), 80U);
  EXPECT_EQ(got.front(), "w1000");
  EXPECT_EQ(got.back(), "w1079");
}

}  // namespace
}  // namespace graph_builder::text
