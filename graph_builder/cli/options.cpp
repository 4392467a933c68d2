#include "graph_builder/cli/options.hpp"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>

namespace graph_builder::cli {
namespace {

struct OptionSpec {
  std::string_view name;
  std::string Options::*field;         // takes the value as given, or
  unsigned Options::*count = nullptr;  // a whole number of at least 1
};

constexpr std::array<OptionSpec, 3> kOptions{
    {{"--root", &Options::root}, {"--out", &Options::out}, {"--jobs", nullptr, &Options::jobs}}};

// The job count in `value`, or nothing when it is not a whole number from 1
// to a million.
std::optional<unsigned> parse_count(std::string_view value) {
  unsigned n = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (ec != std::errc() || end != value.data() + value.size() || n < 1 || n > 1000000) {
    return std::nullopt;
  }
  return n;
}

}  // namespace

std::string usage_line(const std::string& prog) {
  return "usage: " + prog + " [-h] [--root ROOT] [--out OUT] [-j N]\n";
}

std::string help_text(const std::string& prog) {
  std::string s = usage_line(prog);
  s += "\n";
  s += kDescription;
  s += "\n\noptions:\n";
  s += "  -h, --help        show this help message and exit\n";
  s += "  --root ROOT       Project root to scan.\n";
  s += "  --out OUT         Output JSON path.\n";
  s += "  -j N, --jobs N    Threads that read and analyse files (default: the cores\n";
  s += "                    this process may use). The documents are the same for\n";
  s += "                    every N; 1 runs on one thread.\n";
  return s;
}

ParseResult parse_options(const std::vector<std::string>& args) {
  ParseResult r;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& given = args[i];
    if (given == "-h" || (given.size() >= 3 && std::string_view("--help").starts_with(given))) {
      r.outcome = ParseOutcome::help;
      return r;
    }
    // "-j N" and "-jN" are --jobs.
    std::string short_jobs;
    if (given.starts_with("-j")) {
      if (given.size() == 2 && i + 1 >= args.size()) {
        r.outcome = ParseOutcome::usage_error;
        r.error = "argument -j/--jobs: expected one argument";
        return r;
      }
      short_jobs = "--jobs=" + (given.size() > 2 ? given.substr(2) : args[++i]);
    }
    const std::string& a = short_jobs.empty() ? args[i] : short_jobs;
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
    if (match->field != nullptr) {
      r.options.*(match->field) = value;
    } else if (const std::optional<unsigned> n = parse_count(value)) {
      r.options.*(match->count) = *n;
    } else {
      r.outcome = ParseOutcome::usage_error;
      r.error = "argument -j/--jobs: not a whole number of at least 1: '" + value + "'";
      return r;
    }
  }
  return r;
}

}  // namespace graph_builder::cli
