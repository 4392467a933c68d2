#pragma once
// The declaration scans of every language family: what a file declares, as
// the keyword pass (keywords.cpp) and the summary pass (summary.cpp) read it.
// One file per family, decl_<family>.cpp, holds the family's keyword pass,
// its summary pass, and the hand-written scans they run. Each scan below
// stands in for the plain pattern it names, with exactly its matches; the
// differential tests and the fuzzer hold them to those patterns. Not
// installed.
//
// Adding a language: its passes go in a decl_<family>.cpp of their own,
// declared here, and keywords_for / summary_for (passes.hpp) call them for
// the profile's KeywordScan and SummaryScan.

#include "graph_builder/regex/regex.hpp"
#include "graph_builder/regex/span.hpp"

#include <string_view>
#include <vector>

namespace graph_builder::text {

class KeywordList;
class NameList;

namespace declarations {

// Keyword passes: admit the names one family declares in `content` into
// `kw`, in the family's pass order, stopping once `kw` is full.
void add_ts_keywords(KeywordList& kw, std::string_view content);
void add_py_keywords(KeywordList& kw, std::string_view content);
void add_go_keywords(KeywordList& kw, std::string_view content);
void add_swift_keywords(KeywordList& kw, std::string_view content);
void add_rust_keywords(KeywordList& kw, std::string_view content);
void add_java_keywords(KeywordList& kw, std::string_view content);
// Kotlin's own declarations (a Kotlin file runs the Java pass first).
void add_kotlin_keywords(KeywordList& kw, std::string_view content);
void add_cs_keywords(KeywordList& kw, std::string_view content);
void add_xaml_keywords(KeywordList& kw, std::string_view content);
void add_ruby_keywords(KeywordList& kw, std::string_view content);
void add_php_keywords(KeywordList& kw, std::string_view content);
void add_c_keywords(KeywordList& kw, std::string_view content);

// Summary passes: offer the names one family declares in `content` to
// `names`, in order, until it is full.
void offer_ts_names(NameList& names, std::string_view content);
void offer_py_names(NameList& names, std::string_view content);
void offer_rust_names(NameList& names, std::string_view content);
// Java and Kotlin share one pass.
void offer_java_names(NameList& names, std::string_view content);
void offer_cs_names(NameList& names, std::string_view content);
void offer_xaml_names(NameList& names, std::string_view content);
void offer_ruby_names(NameList& names, std::string_view content);
void offer_php_names(NameList& names, std::string_view content);
void offer_c_names(NameList& names, std::string_view content);

// The scans. Those returning Spans give every successive match with its
// group 1; those taking a visitor visit every successive match exactly as
// the pattern's for_each would, until the visitor returns false.

// The Java-family type pattern (decl_java.cpp)
//   "(?:public|private|protected|static|final|\s)+(?:class|interface|enum|record)
//    \s+([A-Za-z_]\w*)"
std::vector<regex::Spans> java_type_matches(std::string_view text);

// The Java-family method pattern (decl_java.cpp)
//   "(?:public|private|protected|static|final|\s)+(?!class|if|for|while|return)
//    \w[\w<>\[\]]*\s+([A-Za-z_]\w*)\s*\("
std::vector<regex::Spans> java_method_matches(std::string_view text);

// The Kotlin declaration pattern (multi-line, decl_java.cpp)
//   "^(?:(?:public|private|internal|protected|open|data|sealed|abstract)\s+)*
//    (?:class|object|interface|fun)\s+([A-Za-z_]\w*)"
std::vector<regex::Spans> kotlin_declaration_matches(std::string_view text);

// The C-family function and type patterns (multi-line, decl_c.cpp)
//   "^[\w:*&<>\s]+?\s+([A-Za-z_]\w*)\s*\([^;]*$"
//   "^(?:class|struct|enum|namespace|union)\s+([A-Za-z_]\w*)"
std::vector<regex::Spans> c_function_matches(std::string_view text);
std::vector<regex::Spans> c_type_matches(std::string_view text);

// The Swift type and function patterns (multi-line, decl_swift.cpp)
//   "^(?:public\s+|private\s+|internal\s+|open\s+|final\s+)*
//    (?:class|struct|enum|protocol|actor|extension)\s+([A-Za-z_]\w*)"
//   "^(?:\s*)(?:public\s+|private\s+|internal\s+|open\s+|static\s+|class\s+|mutating\s+
//    |override\s+)*func\s+([A-Za-z_]\w*)"
std::vector<regex::Spans> swift_type_matches(std::string_view text);
std::vector<regex::Spans> swift_function_matches(std::string_view text);

// The Rust type pattern (multi-line, decl_rust.cpp)
//   "^(?:pub\s+)?(?:struct|enum|trait|impl(?:\s+\w+\s+for)?)\s+([A-Za-z_]\w*)"
void for_each_rust_type(std::string_view text, const regex::MatchVisitor& fn);

// The Rust function pattern (multi-line, decl_rust.cpp)
//   "^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*)"
void for_each_rust_function(std::string_view text, const regex::MatchVisitor& fn);

// The Rust declaration pattern of summaries (multi-line, decl_rust.cpp)
//   "^(?:pub(?:\s*\([^)]*\))?\s+)?fn\s+([A-Za-z_]\w*)|^(?:pub\s+)?(?:struct|enum|trait)
//    \s+([A-Za-z_]\w*)"
void for_each_rust_declaration(std::string_view text, const regex::MatchVisitor& fn);

// The Python declaration pattern (multi-line, decl_py.cpp)
//   "^(?:async\s+)?def\s+([A-Za-z_]\w*)|^class\s+([A-Za-z_]\w*)"
void for_each_python_declaration(std::string_view text, const regex::MatchVisitor& fn);

// The Ruby declaration pattern (multi-line, decl_ruby.cpp)
//   "^\s*(?:def\s+(?:self\.)?([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|module\s+([A-Za-z_]\w*))"
void for_each_ruby_declaration(std::string_view text, const regex::MatchVisitor& fn);

// The PHP declaration pattern (decl_php.cpp)
//   "(?:function\s+([A-Za-z_]\w*)|class\s+([A-Za-z_]\w*)|interface\s+([A-Za-z_]\w*)
//    |trait\s+([A-Za-z_]\w*))"
void for_each_php_declaration(std::string_view text, const regex::MatchVisitor& fn);

// The Go exported function pattern (multi-line, decl_go.cpp)
//   "^func\s+(?:\([^)]+\)\s+)?([A-Z]\w*)"
void for_each_go_function(std::string_view text, const regex::MatchVisitor& fn);

}  // namespace declarations
}  // namespace graph_builder::text
