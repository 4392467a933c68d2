#include "graph_builder/cli/options.hpp"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>

namespace graph_builder::cli {
namespace {

// Options that take a value.
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

// Options that take none.
enum class Flag { help, version, verbose };

struct FlagEntry {
  std::string_view name;
  std::string_view short_name;  // empty: none
  Flag flag;
};

constexpr std::array<FlagEntry, 3> kFlags{{{"--help", "-h", Flag::help},
                                           {"--version", "", Flag::version},
                                           {"--verbose", "-v", Flag::verbose}}};

ParseResult usage_error(std::string what) {
  ParseResult r;
  r.outcome = ParseOutcome::usage_error;
  r.error = std::move(what);
  return r;
}

}  // namespace

std::string usage_line(const std::string& prog) {
  return "usage: " + prog + " [-h] [--version] [-v] [--root ROOT] [--out OUT] [-j N]\n";
}

std::string help_text(const std::string& prog) {
  std::string s = usage_line(prog);
  s += "\n";
  s += kDescription;
  s += "\n\noptions:\n";
  s += "  -h, --help        show this help message and exit\n";
  s += "  --version         show the program's version and exit\n";
  s += "  -v, --verbose     report each file or directory passed over and why, and\n";
  s += "                    the time taken, on standard error\n";
  s += "  --root ROOT       Project root to scan. (default: " + std::string(kDefaultRoot) + ")\n";
  s += "  --out OUT         Output JSON path. (default: " + std::string(kDefaultOut) + ")\n";
  s += "  -j N, --jobs N    Threads that read and analyse files (default: the cores\n";
  s += "                    this process may use). The documents are the same for\n";
  s += "                    every N; 1 runs on one thread.\n";
  return s;
}

ParseResult parse_options(const std::vector<std::string>& args) {
  ParseResult r;
  for (std::size_t i = 0; i < args.size(); ++i) {
    // "-j N" and "-jN" are --jobs.
    std::string short_jobs;
    if (args[i].starts_with("-j")) {
      if (args[i].size() == 2 && i + 1 >= args.size()) {
        return usage_error("argument -j/--jobs: expected one argument");
      }
      short_jobs = "--jobs=" + (args[i].size() > 2 ? args[i].substr(2) : args[++i]);
    }
    const std::string& a = short_jobs.empty() ? args[i] : short_jobs;
    const FlagEntry* flag = nullptr;
    for (const FlagEntry& f : kFlags) {
      if (!f.short_name.empty() && a == f.short_name) flag = &f;
    }
    std::size_t eq = std::string::npos;
    if (flag == nullptr) {
      if (!a.starts_with("--") || a == "--") return usage_error("unrecognized arguments: " + a);
      eq = a.find('=');
      const std::string_view key = std::string_view(a).substr(0, eq);
      // An exact name, or else the one name that `key` begins.
      const OptionSpec* option = nullptr;
      int candidates = 0;
      bool exact = false;
      auto consider = [&](std::string_view name, const OptionSpec* o, const FlagEntry* f) {
        if (exact) return;
        if (name == key) {
          exact = true;
          candidates = 1;
        } else if (key.size() > 2 && name.starts_with(key)) {
          ++candidates;
        } else {
          return;
        }
        option = o;
        flag = f;
      };
      for (const OptionSpec& o : kOptions) consider(o.name, &o, nullptr);
      for (const FlagEntry& f : kFlags) consider(f.name, nullptr, &f);
      if (candidates > 1) return usage_error("ambiguous option: " + std::string(key));
      if (candidates == 0) return usage_error("unrecognized arguments: " + a);
      if (option != nullptr) {
        std::string value;
        if (eq != std::string::npos) {
          value = a.substr(eq + 1);
        } else {
          // A following word that looks like an option is not taken as the value.
          if (i + 1 >= args.size() || (args[i + 1].size() > 1 && args[i + 1][0] == '-')) {
            return usage_error("argument " + std::string(option->name) + ": expected one argument");
          }
          value = args[++i];
        }
        // An empty path would name the working directory's parent or nothing
        // at all; it is always a slip (an unset variable, "--root=").
        if (value.empty()) {
          return usage_error("argument " + std::string(option->name) +
                             ": expected a non-empty value");
        }
        if (option->field != nullptr) {
          r.options.*(option->field) = std::move(value);
        } else if (const std::optional<unsigned> n = parse_count(value)) {
          r.options.*(option->count) = *n;
        } else {
          return usage_error("argument -j/--jobs: not a whole number of at least 1: '" + value +
                             "'");
        }
        continue;
      }
    }
    if (eq != std::string::npos) {
      return usage_error("argument " + std::string(flag->name) + ": ignored explicit argument '" +
                         a.substr(eq + 1) + "'");
    }
    switch (flag->flag) {
      case Flag::help:
        r.outcome = ParseOutcome::help;
        return r;
      case Flag::version:
        r.outcome = ParseOutcome::version;
        return r;
      case Flag::verbose:
        r.options.verbose = true;
        break;
    }
  }
  return r;
}

}  // namespace graph_builder::cli
