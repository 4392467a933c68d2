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
  // -v/--verbose: each entry passed over, and the time taken, on stderr.
  bool verbose = false;
  unsigned jobs = 0;  // worker threads; 0: the cores the process may use
};

enum class ParseOutcome { run, help, version, usage_error };

struct ParseResult {
  ParseOutcome outcome = ParseOutcome::run;
  Options options;
  std::string error;  // for usage_error: what was wrong
};

// Parses `args` (without the program name): --root, --out and --jobs, each as
// "--opt value" or "--opt=value" with a value that is not empty (unambiguous
// prefixes such as --ro are accepted; the last occurrence wins), --jobs also
// as "-j N" or "-jN" and only with a whole number of at least 1,
// -v/--verbose, and -h/--help and --version, which end the parsing. Pure:
// whether the paths exist is not looked at.
ParseResult parse_options(const std::vector<std::string>& args);

// The usage line, ended by a newline, naming the program `prog`.
std::string usage_line(const std::string& prog);
// The usage line, the description and each option's help text with its
// default.
std::string help_text(const std::string& prog);

}  // namespace graph_builder::cli
