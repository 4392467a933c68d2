#include "graph_builder/cli/run.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "graph_builder/cli/interrupt.hpp"
#include "graph_builder/cli/options.hpp"
#include "graph_builder/cli/progress.hpp"
#include "graph_builder/documents/documents.hpp"
#include "graph_builder/error.hpp"

namespace graph_builder::cli {
namespace {

constexpr const char* kProg = "graph_builder";

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
  if (parsed.outcome == ParseOutcome::usage_error) {
    std::string msg = usage_line(kProg) + kProg + ": error: " + parsed.error + "\n";
    std::fwrite(msg.data(), 1, msg.size(), stderr);
    return 2;
  }
  try {
    {
      const InterruptGuard interrupts;
      ProgressLine progress(::isatty(STDERR_FILENO) == 1, [](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
      });
      graph::ScanOptions scan;
      scan.jobs = parsed.options.jobs;
      scan.cancelled = [] { return interrupting_signal() != 0; };
      scan.on_progress = [&](const graph::ScanProgress& p) {
        progress.update(p, ProgressLine::Clock::now());
      };
      built = documents::build(parsed.options.root, parsed.options.out, scan);
    }
    const std::string lines = tally(built);
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    if (std::fflush(stdout) != 0) throw FatalError("cannot write to standard output");
  } catch (const Cancelled&) {
    // Stopped by a signal: nothing more to say; the exit tells how it ended.
    return 128 + interrupting_signal();
  } catch (const std::exception& e) {
    std::string msg = std::string(kProg) + ": error: " + e.what() + "\n";
    std::fwrite(msg.data(), 1, msg.size(), stderr);
    return 1;
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
