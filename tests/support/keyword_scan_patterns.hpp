#pragma once
// The plain patterns that the keyword passes' hand-written scans (routes and
// declarations) stand in for, and their matches in the scans' form: shared
// by the differential tests and the differential fuzzer.

#include <string_view>
#include <vector>

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/span.hpp"
#include "graph_builder/text/declarations.hpp"
#include "graph_builder/text/routes.hpp"
#include "support/match_offsets.hpp"

namespace graph_builder::testing {

inline const regex::Regex& plain_route() {
  static const regex::Regex kRoute(
      R"re((?:app|router|r|mux|api)\s*[.\@]\s*(get|post|put|delete|patch|handle|handlefunc)\s*\(\s*['\"/]([^'\")\s]+))re",
      regex::Flags::caseless);
  return kRoute;
}

inline const regex::Regex& plain_http_call() {
  static const regex::Regex kHttpCall(
      R"re((?:fetch|axios\.(?:get|post|put|delete)|requests\.(?:get|post|put|delete))\s*\(\s*[`'\"](https?://[^`'\"]+|/[^`'\"]+)[`'\"])re",
      regex::Flags::caseless);
  return kHttpCall;
}

inline const regex::Regex& plain_java_method() {
  static const regex::Regex kMethod(
      R"re((?:public|private|protected|static|final|\s)+(?!class|if|for|while|return)\w[\w<>\[\]]*\s+([A-Za-z_]\w*)\s*\()re");
  return kMethod;
}

inline const regex::Regex& plain_c_function() {
  static const regex::Regex kFunction(R"re(^[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\([^;]*$)re",
                                      regex::Flags::multiline);
  return kFunction;
}

inline const regex::Regex& plain_c_type() {
  static const regex::Regex kType(R"re(^(?:class|struct|enum|namespace|union)\s+([A-Za-z_]\w*))re",
                                  regex::Flags::multiline);
  return kType;
}

inline const regex::Regex& plain_java_type() {
  static const regex::Regex kType(
      R"re((?:public|private|protected|static|final|\s)+(?:class|interface|enum|record)\s+([A-Za-z_]\w*))re");
  return kType;
}

inline const regex::Regex& plain_kotlin_declaration() {
  static const regex::Regex kDecl(
      R"re(^(?:(?:public|private|internal|protected|open|data|sealed|abstract)\s+)*(?:class|object|interface|fun)\s+([A-Za-z_]\w*))re",
      regex::Flags::multiline);
  return kDecl;
}

inline const regex::Regex& plain_swift_type() {
  static const regex::Regex kType(
      R"re(^(?:public\s+|private\s+|internal\s+|open\s+|final\s+)*(?:class|struct|enum|protocol|actor|extension)\s+([A-Za-z_]\w*))re",
      regex::Flags::multiline);
  return kType;
}

inline const regex::Regex& plain_swift_function() {
  static const regex::Regex kFunc(
      R"re(^(?:\s*)(?:public\s+|private\s+|internal\s+|open\s+|static\s+|class\s+|mutating\s+|override\s+)*func\s+([A-Za-z_]\w*))re",
      regex::Flags::multiline);
  return kFunc;
}

// Each scan with the pattern it stands in for.
struct ScanAndPattern {
  const char* name;
  std::vector<regex::Spans> (*scan)(std::string_view);
  const regex::Regex& (*pattern)();
};

inline const std::vector<ScanAndPattern>& scans_and_patterns() {
  static const std::vector<ScanAndPattern> kAll{
      {"route", text::routes::route_matches, plain_route},
      {"http call", text::routes::http_call_matches, plain_http_call},
      {"java type", text::declarations::java_type_matches, plain_java_type},
      {"java method", text::declarations::java_method_matches, plain_java_method},
      {"c function", text::declarations::c_function_matches, plain_c_function},
      {"c type", text::declarations::c_type_matches, plain_c_type},
      {"kotlin declaration", text::declarations::kotlin_declaration_matches,
       plain_kotlin_declaration},
      {"swift type", text::declarations::swift_type_matches, plain_swift_type},
      {"swift function", text::declarations::swift_function_matches, plain_swift_function},
  };
  return kAll;
}

}  // namespace graph_builder::testing
