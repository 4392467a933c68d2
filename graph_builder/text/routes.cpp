#include "graph_builder/text/routes.hpp"

#include "graph_builder/regex/anchored.hpp"
#include "graph_builder/regex/char_class.hpp"
#include "graph_builder/regex/literals.hpp"

namespace graph_builder::text::routes {

using regex::Flags;
using regex::fold_ascii;
using regex::Regex;

std::vector<regex::Spans> route_matches(std::string_view text) {
  // matches: "app.get('/api/users/:userId'" and "mux.HandleFunc(\"/orders\"" (and
  // "router .post(" or "api@delete(\"/x\""), found from each "." and "@"
  static const Regex kHead(R"re(\G(?:app|router|r|mux|api)\s*[.\@])re", Flags::caseless);
  static const Regex kTail(
      R"re(\G[.\@]\s*(get|post|put|delete|patch|handle|handlefunc)\s*\(\s*['\"/]([^'\")\s]+))re",
      Flags::caseless);
  // The words end in p, r, x or i; the verbs begin with g, p, d or h. Dots
  // are common, and most stand between other letters ("this.x", "foo.bar").
  const regex::AnchorCandidates<4, 4> anchors(text, '.', '@', {'p', 'r', 'x', 'i'},
                                              {'g', 'p', 'd', 'h'});
  auto next_anchor = [&](std::size_t from) { return anchors.next(from); };
  auto may_end_word = [](unsigned char c) {
    const unsigned char f = fold_ascii(c);
    return c >= 0x80 || f == 'p' || f == 'r' || f == 'x' || f == 'i';
  };
  auto may_follow_anchor = [](unsigned char c) {
    const unsigned char f = fold_ascii(c);
    return c >= 0x80 || f == 'g' || f == 'p' || f == 'd' || f == 'h';
  };
  return regex::anchored_matches(text, next_anchor, may_end_word, may_follow_anchor,
                                 {"app", "router", "r", "mux", "api"}, {6, 3, 1}, kHead, kTail);
}

std::vector<regex::Spans> http_call_matches(std::string_view text) {
  // matches: "fetch(`/api/orders/${id}`" and "requests.get('https://api.acme.io/v1'",
  // found from each "("
  static const Regex kHead(
      R"re(\G(?:fetch|axios\.(?:get|post|put|delete)|requests\.(?:get|post|put|delete))\s*\()re",
      Flags::caseless);
  static const Regex kTail(R"re(\G\(\s*[`'\"](https?://[^`'\"]+|/[^`'\"]+)[`'\"])re",
                           Flags::caseless);
  // The words end in h, t or e; a quote or backtick opens the argument.
  const regex::AnchorCandidates<3, 3> anchors(text, '(', '(', {'h', 't', 'e'}, {'`', '\'', '"'});
  auto next_anchor = [&](std::size_t from) { return anchors.next(from); };
  auto may_end_word = [](unsigned char c) {
    const unsigned char f = fold_ascii(c);
    return c >= 0x80 || f == 'h' || f == 't' || f == 'e';
  };
  auto may_follow_anchor = [](unsigned char c) {
    return c >= 0x80 || c == '`' || c == '\'' || c == '"';
  };
  // Lengths: requests.delete, requests.post, requests.get/put and
  // axios.delete, axios.post, axios.get/put, fetch.
  return regex::anchored_matches(
      text, next_anchor, may_end_word, may_follow_anchor,
      {"fetch", "axios.get", "axios.post", "axios.put", "axios.delete", "requests.get",
       "requests.post", "requests.put", "requests.delete"},
      {15, 13, 12, 10, 9, 5}, kHead, kTail);
}

void for_each_decorator_route(std::string_view text, const regex::MatchVisitor& fn) {
  // matches: "@router.get(\"/items/{item_id}\"", found from each "@" (a
  // character without case variants, so a byte search finds every start).
  // Led by "\G"; (*NO_START_OPT) spares each run a look through the rest of
  // the text for the pattern's last fixed character.
  static const Regex kRoute(
      R"re((*NO_START_OPT)\G@\w+\.(get|post|put|delete|patch)\s*\(\s*[\'\"]([^\'\"]+)[\'\"])re",
      Flags::caseless);
  regex::for_each_at_literals(text, {"@"}, kRoute, fn);
}

}  // namespace graph_builder::text::routes
