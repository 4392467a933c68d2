#pragma once
// The scans that find route registrations, route decorators and outgoing
// HTTP calls in any file, for the keyword pass. Each stands in for a plain
// caseless pattern with exactly its matches (held to it by the differential
// tests and the fuzzer). Not installed.

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/span.hpp"

#include <string_view>
#include <vector>

namespace graph_builder::text::routes {

// Every successive match of the route-registration pattern, with its groups
// 1 (the verb) and 2 (the path)
//   "(?:app|router|r|mux|api)\s*[.\@]\s*(get|post|put|delete|patch|handle|handlefunc)
//    \s*\(\s*['\"/]([^'\")\s]+)"  (caseless)
std::vector<regex::Spans> route_matches(std::string_view text);

// Every successive match of the outgoing-HTTP-call pattern, with its group 1
// (the URL)
//   "(?:fetch|axios\.(?:get|post|put|delete)|requests\.(?:get|post|put|delete))
//    \s*\(\s*[`'\"](https?://[^`'\"]+|/[^`'\"]+)[`'\"]"  (caseless)
std::vector<regex::Spans> http_call_matches(std::string_view text);

// Visits every successive match of the decorator-route pattern (caseless)
//   "@\w+\.(get|post|put|delete|patch)\s*\(\s*['\"]([^'\"]+)['\"]"
// exactly as the pattern's for_each would, until `fn` returns false.
void for_each_decorator_route(std::string_view text, const regex::MatchVisitor& fn);

}  // namespace graph_builder::text::routes
