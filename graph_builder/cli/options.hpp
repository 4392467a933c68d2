#pragma once
// Command-line options of the graph_builder program.

#include <string>
#include <vector>

namespace graph_builder::cli {

inline constexpr const char* kDescription = "Scan project and build information graph JSON.";
inline constexpr const char* kDefaultRoot = ".";
inline constexpr const char* kDefaultOut = "mirelane-dashboard/data/info_graph.json";

struct Options {
  std::string root = kDefaultRoot;
  std::string out = kDefaultOut;
};

enum class ParseOutcome { run, help, usage_error };

struct ParseResult {
  ParseOutcome outcome = ParseOutcome::run;
  Options options;
  std::string error;  // for usage_error: what was wrong
};

// Parses `args` (without the program name): --root and --out, each as
// "--opt value" or "--opt=value" (unambiguous prefixes such as --ro are
// accepted; the last occurrence wins), and -h/--help. Pure.
ParseResult parse_options(const std::vector<std::string>& args);

std::string usage_line(const std::string& prog);
std::string help_text(const std::string& prog);

// The path as a user would write it normalised: repeated separators, "."
// components and a trailing separator removed, ".." kept; "" becomes ".".
std::string normalize_path(const std::string& p);
// normalize_path(parent of `out`) joined with `name`; a parent of "." gives
// the bare name.
std::string sibling_path(const std::string& out, const std::string& name);

}  // namespace graph_builder::cli
