#pragma once
// Scans that stand in for keyword patterns with the same matches, exposed
// only so that differential tests can compare them with the plain patterns.
// Not part of the installed interface.

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"

namespace graph_builder::text::keywords_internal {

// Byte offsets [begin, end) of a match or of one of its groups.
struct Span {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool operator==(const Span&) const = default;
};

// One match with its first two groups (an unused group stays {0, 0}).
struct ScanMatch {
  Span whole;
  Span group1;
  Span group2;
  bool operator==(const ScanMatch&) const = default;
};

// Every successive match of the route-registration pattern
//   "(?:app|router|r|mux|api)\s*[.\@]\s*(get|post|put|delete|patch|handle|handlefunc)
//    \s*\(\s*['\"/]([^'\")\s]+)"  (caseless)
std::vector<ScanMatch> route_matches(std::string_view text);

// Every successive match of the outgoing-HTTP-call pattern
//   "(?:fetch|axios\.(?:get|post|put|delete)|requests\.(?:get|post|put|delete))
//    \s*\(\s*[`'\"](https?://[^`'\"]+|/[^`'\"]+)[`'\"]"  (caseless)
std::vector<ScanMatch> http_call_matches(std::string_view text);

// Every successive match of the Java-family type pattern
//   "(?:public|private|protected|static|final|\s)+(?:class|interface|enum|record)
//    \s+([A-Za-z_]\w*)"
std::vector<ScanMatch> java_type_matches(std::string_view text);

// Every successive match of the Java-family method pattern
//   "(?:public|private|protected|static|final|\s)+(?!class|if|for|while|return)
//    \w[\w<>\[\]]*\s+([A-Za-z_]\w*)\s*\("
std::vector<ScanMatch> java_method_matches(std::string_view text);

// Every successive match of the C-family function and type patterns
//   "^[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\([^;]*$"  (multi-line)
//   "^(?:class|struct|enum|namespace|union)\s+([A-Za-z_]\w*)"  (multi-line)
std::vector<ScanMatch> c_function_matches(std::string_view text);
std::vector<ScanMatch> c_type_matches(std::string_view text);

// Every successive match of the Kotlin declaration pattern (multi-line)
//   "^(?:(?:public|private|internal|protected|open|data|sealed|abstract)\s+)*
//    (?:class|object|interface|fun)\s+([A-Za-z_]\w*)"
std::vector<ScanMatch> kotlin_declaration_matches(std::string_view text);

// Every successive match of the Swift type and function patterns (multi-line)
//   "^(?:public\s+|private\s+|internal\s+|open\s+|final\s+)*
//    (?:class|struct|enum|protocol|actor|extension)\s+([A-Za-z_]\w*)"
//   "^(?:\s*)(?:public\s+|private\s+|internal\s+|open\s+|static\s+|class\s+|mutating\s+
//    |override\s+)*func\s+([A-Za-z_]\w*)"
std::vector<ScanMatch> swift_type_matches(std::string_view text);
std::vector<ScanMatch> swift_function_matches(std::string_view text);

// Receives each match of a scan below; returns false to stop it.
using MatchVisitor = std::function<bool(const regex::Match&)>;

// Visits every successive match of the decorator-route pattern (caseless)
//   "@\w+\.(get|post|put|delete|patch)\s*\(\s*['\"]([^'\"]+)['\"]"
// exactly as the pattern's for_each would, until `fn` returns false.
void for_each_decorator_route(std::string_view text, const MatchVisitor& fn);

// The same for the Rust type pattern (multi-line)
//   "^(?:pub\s+)?(?:struct|enum|trait|impl(?:\s+\w+\s+for)?)\s+([A-Za-z_]\w*)"
void for_each_rust_type(std::string_view text, const MatchVisitor& fn);

// The same for the Python declaration pattern (multi-line)
//   "^(?:async\s+)?def\s+([A-Za-z_]\w*)|^class\s+([A-Za-z_]\w*)"
void for_each_python_declaration(std::string_view text, const MatchVisitor& fn);

// The same for the Ruby declaration pattern (multi-line)
//   "^\s*(?:def\s+(?:self\.)?([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|module\s+([A-Za-z_]\w*))"
void for_each_ruby_declaration(std::string_view text, const MatchVisitor& fn);

// The same for the PHP declaration pattern
//   "(?:function\s+([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|interface\s+([A-Za-z_]\w*)
//    |trait\s+([A-Za-z_]\w*))"
void for_each_php_declaration(std::string_view text, const MatchVisitor& fn);

// The same for the Go exported function pattern (multi-line)
//   "^func\s+(?:\([^)]+\)\s+)?([A-Z]\w*)"
void for_each_go_function(std::string_view text, const MatchVisitor& fn);

// The same for the Rust function pattern (multi-line)
//   "^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*)"
void for_each_rust_function(std::string_view text, const MatchVisitor& fn);

// The same for the Rust declaration pattern of summaries (multi-line)
//   "^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*)|^(?:pub\s+)?(?:struct|enum|trait)
//    \s+([A-Za-z_]\w*)"
void for_each_rust_declaration(std::string_view text, const MatchVisitor& fn);

}  // namespace graph_builder::text::keywords_internal
