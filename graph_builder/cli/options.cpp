#include "graph_builder/cli/options.hpp"

#include <array>
#include <string_view>

namespace graph_builder::cli {
namespace {

struct OptionSpec {
  std::string_view name;
  std::string Options::*field;
};

constexpr std::array<OptionSpec, 2> kOptions{{{"--root", &Options::root}, {"--out", &Options::out}}};

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
      r.error = candidates > 1 ? "ambiguous option: " + std::string(key)
                               : "unrecognized arguments: " + a;
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

std::string normalize_path(const std::string& p) {
  if (p.empty()) return ".";
  std::string lead;
  std::size_t i = 0;
  if (p[0] == '/') {
    // Two leading slashes are kept as written; one or three and more become one.
    lead = (p.size() >= 2 && p[1] == '/' && (p.size() == 2 || p[2] != '/')) ? "//" : "/";
    while (i < p.size() && p[i] == '/') ++i;
  }
  std::string out = lead;
  bool first = true;
  while (i < p.size()) {
    std::size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string_view part(p.data() + i, j - i);
    if (!part.empty() && part != ".") {
      if (!first) out += '/';
      out += part;
      first = false;
    }
    i = j + 1;
  }
  if (out.empty()) return ".";
  return out;
}

std::string sibling_path(const std::string& out, const std::string& name) {
  std::string norm = normalize_path(out);
  std::size_t slash = norm.rfind('/');
  if (slash == std::string::npos) return name;  // parent is "."
  std::string parent = norm.substr(0, slash);
  if (parent.empty() || parent == "/") return norm.substr(0, slash + 1) + name;
  return parent + "/" + name;
}

}  // namespace graph_builder::cli
