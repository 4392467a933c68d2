#include "graph_builder/cli/run.hpp"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/cli/interrupt.hpp"
#include "graph_builder/cli/options.hpp"
#include "graph_builder/cli/progress.hpp"
#include "graph_builder/discovery/walk.hpp"
#include "graph_builder/documents/documents.hpp"
#include "graph_builder/documents/paths.hpp"
#include "graph_builder/error.hpp"
#include "graph_builder/graph/scan.hpp"
#include "graph_builder/version.hpp"

namespace graph_builder::cli {
namespace {

constexpr const char* kProg = "graph_builder";

// One line on standard error: "graph_builder: <note>".
void print_note(const std::string& note) {
  const std::string line = std::string(kProg) + ": " + note + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

// One line on standard error: "graph_builder: error: <what>".
void print_error(const std::string& what) { print_note("error: " + what); }

// The three lines printed after a run.
std::string tally(const documents::Built& built) {
  const graph::Graph& g = built.graph;
  std::string out = "Scanned: " + std::to_string(g.file_count()) + " files, " +
                    std::to_string(g.symbol_count) + " symbols, " + std::to_string(g.edge_count()) +
                    " edges\n";
  out += "Wrote: " + built.written.graph_path + "\n";
  out += "Symbol index: " + built.written.index_path + " (" +
         std::to_string(built.written.index_members) + " symbols)\n";
  return out;
}

// Runs with `built` receiving what the run built (a caller about to exit
// keeps it instead of freeing it: freeing a large graph takes a noticeable
// share of a run).
int run_with(int argc, char** argv, documents::Built& built) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  ParseResult parsed = parse_options(args);
  if (parsed.outcome == ParseOutcome::help) {
    std::string h = help_text(kProg);
    std::fwrite(h.data(), 1, h.size(), stdout);
    return 0;
  }
  if (parsed.outcome == ParseOutcome::version) {
    const std::string v = std::string(kProg) + " " + std::string(version()) + "\n";
    std::fwrite(v.data(), 1, v.size(), stdout);
    return 0;
  }
  if (parsed.outcome == ParseOutcome::usage_error) {
    std::string msg = usage_line(kProg) + kProg + ": error: " + parsed.error + "\n";
    std::fwrite(msg.data(), 1, msg.size(), stderr);
    return 2;
  }
  const Options& options = parsed.options;
  // Usage errors too, found on the file system before anything is created:
  // a mistyped root would otherwise replace a good graph with an empty one.
  if (const std::string problem = documents::root_problem(options.root); !problem.empty()) {
    print_error("--root " + options.root + ": " + problem);
    return 2;
  }
  if (documents::names_a_directory(options.out)) {
    print_error("--out must name a file: " + options.out);
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  try {
    {
      const InterruptGuard interrupts;
      ProgressLine progress(::isatty(STDERR_FILENO) == 1, [](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
      });
      graph::ScanOptions scan;
      scan.jobs = options.jobs;
      scan.cancelled = [] { return interrupting_signal() != 0; };
      scan.on_progress = [&](const graph::ScanProgress& p) {
        progress.update(p, ProgressLine::Clock::now());
      };
      if (options.verbose) {
        // On the scanning thread, as the progress line is drawn: the note
        // takes the line's place and the next update draws it again below.
        scan.on_skip = [&](const discovery::Skipped& skipped) {
          progress.erase();
          print_note("skipped " + skipped.path + ": " +
                     std::string(discovery::describe(skipped.reason)));
        };
      }
      built = documents::build(options.root, options.out, scan);
    }
    const std::string lines = tally(built);
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    if (std::fflush(stdout) != 0) throw FatalError("cannot write to standard output");
  } catch (const Cancelled&) {
    // Stopped by a signal: nothing more to say; the exit tells how it ended.
    return 128 + interrupting_signal();
  } catch (const std::exception& e) {
    print_error(e.what());
    return 1;
  }
  if (options.verbose) {
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", took.count());
    print_note(std::string("took ") + seconds + " s");
  }
  return 0;
}

}  // namespace

int run(int argc, char** argv) {
  documents::Built built;
  return run_with(argc, argv, built);
}

void run_and_exit(int argc, char** argv) {
  // Never destroyed: the process ends right after and the system takes it all.
  static documents::Built built;
  const int status = run_with(argc, argv, built);
  std::fflush(nullptr);
  if (const int signal = interrupting_signal(); signal != 0) end_by_signal(signal);
#ifdef GB_REGEX_PROFILE
  std::exit(status);  // the per-pattern timings print at exit
#else
  std::_Exit(status);
#endif
}

}  // namespace graph_builder::cli
