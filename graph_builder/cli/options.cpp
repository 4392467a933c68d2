#include "graph_builder/cli/options.hpp"

#include <array>
#include <string_view>

namespace graph_builder::cli {
namespace {

struct OptionSpec {
  std::string_view name;
  std::string Options::*field;
};

constexpr std::array<OptionSpec, 2> kOptions{
    {{"--root", &Options::root}, {"--out", &Options::out}}};

}  // namespace

std::string usage_line(const std::string& prog) {
  return "usage: " + prog + " [-h] [--root ROOT] [--out OUT]\n";
}

std::string help_text(const std::string& prog) {
  std::string s = usage_line(prog);
  s += "\n";
  s += kDescription;
  s += "\n\noptions:\n";
  s += "  -h, --help   show this help message and exit\n";
  s += "  --root ROOT  Project root to scan.\n";
  s += "  --out OUT    Output JSON path.\n";
  return s;
}

ParseResult parse_options(const std::vector<std::string>& args) {
  ParseResult r;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-h" || (a.size() >= 3 && std::string_view("--help").starts_with(a))) {
      r.outcome = ParseOutcome::help;
      return r;
    }
    if (!a.starts_with("--") || a == "--") {
      r.outcome = ParseOutcome::usage_error;
      r.error = "unrecognized arguments: " + a;
      return r;
    }
    std::size_t eq = a.find('=');
    std::string_view key = std::string_view(a).substr(0, eq);
    const OptionSpec* match = nullptr;
    int candidates = 0;
    for (const OptionSpec& o : kOptions) {
      if (o.name == key) {
        match = &o;
        candidates = 1;
        break;
      }
      if (key.size() > 2 && o.name.starts_with(key)) {
        match = &o;
        ++candidates;
      }
    }
    if (candidates != 1) {
      r.outcome = ParseOutcome::usage_error;
      r.error =
          candidates > 1 ? "ambiguous option: " + std::string(key) : "unrecognized arguments: " + a;
      return r;
    }
    std::string value;
    if (eq != std::string::npos) {
      value = a.substr(eq + 1);
    } else {
      // A following word that looks like an option is not taken as the value.
      if (i + 1 >= args.size() || (args[i + 1].size() > 1 && args[i + 1][0] == '-')) {
        r.outcome = ParseOutcome::usage_error;
        r.error = "argument " + std::string(match->name) + ": expected one argument";
        return r;
      }
      value = args[++i];
    }
    r.options.*(match->field) = value;
  }
  return r;
}

}  // namespace graph_builder::cli
